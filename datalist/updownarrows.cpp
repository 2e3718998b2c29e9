#include "datalist/updownarrows.h"

#include <QToolButton>

namespace zarvo::datalist {

UpDownArrows::UpDownArrows(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("Up"));
    down_->setObjectName(QStringLiteral("Down"));
    up_->setAccessibleName(QStringLiteral("+"));
    down_->setAccessibleName(QStringLiteral("-"));
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::pressed, this, &UpDownArrows::Pressed);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT Clicked(true); });
    connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT Clicked(false); });
}

void UpDownArrows::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace zarvo::datalist
