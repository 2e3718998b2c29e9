#include "shared/updown.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

namespace zarvo::shared {

TUpDown::TUpDown(int min, int max, int position, QWidget* parent)
    : QWidget(parent), min_(min), max_(max), position_(std::clamp(position, min, max)),
      up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::pressed, this, &TUpDown::Pressed);
    }
    up_->setObjectName(QStringLiteral("Up"));
    down_->setObjectName(QStringLiteral("Down"));
    up_->setAccessibleName(QStringLiteral("+"));
    down_->setAccessibleName(QStringLiteral("-"));
    connect(up_, &QToolButton::clicked, this, [this] { Step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(false); });
}

void TUpDown::SetPosition(int value) {
    position_ = std::clamp(value, min_, max_);
    Show();
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    associate_ = edit;
    associate_->installEventFilter(this);
    Show();
}

int TUpDown::TakeEditText() {
    if (associate_) {
        bool ok = false;
        const qlonglong typed = associate_->text().trimmed().toLongLong(&ok);
        if (ok)
            position_ = static_cast<int>(std::clamp<qlonglong>(typed, min_, max_));
    }
    Show();
    return position_;
}

void TUpDown::Step(bool up) {
    // the arrows count on from what the edit box shows, as the user sees it
    if (associate_)
        TakeEditText();
    position_ = std::clamp(position_ + (up ? 1 : -1), min_, max_);
    Show();
    Q_EMIT Clicked(up);
}

void TUpDown::Show() {
    if (associate_)
        associate_->setText(QString::number(position_));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == associate_ && event->type() == QEvent::FocusOut) {
        // Typed text applies only on Return or an arrow: a box left without them shows again the
        // position in use, which is also what the close saves. Another window taking the focus
        // for a while leaves the typing alone.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Show();
    }
    if (watched == associate_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Q_EMIT Pressed();
            Step(key == Qt::Key_Up);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace zarvo::shared
