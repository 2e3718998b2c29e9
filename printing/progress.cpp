#include "printing/progress.h"

#include "printing/uitext.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>
#include <climits>

namespace zarvo::printing {

namespace {

// How long the work may keep the event loop waiting.
constexpr qint64 kEventIntervalMs = 40;

} // namespace

TProgressForm::TProgressForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ProgressForm"));
    setWindowTitle(U("ただいま計算中です。  ---  しばらくお待ち下さい。"));
    setFixedSize(267, 72);
    // It shows over the window that is working and leaves the keyboard with it
    setAttribute(Qt::WA_ShowWithoutActivating);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(12, 24, 243, 20);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
}

void TProgressForm::Begin(int64_t maximum) {
    ProgressBar1->setRange(0, static_cast<int>(std::clamp<int64_t>(maximum, 0, INT_MAX)));
    ProgressBar1->setValue(0);
    position_ = 0;
    working_ = QApplication::activeWindow();
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    sinceEvents_.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TProgressForm::StepIt() {
    if (position_ < ProgressBar1->maximum())
        ++position_;
    KeepResponsive();
}

void TProgressForm::KeepResponsive() {
    // The bar repaints itself at once whenever its value moves a visible step: between these
    // moments, that would cost more than the steps' work
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventIntervalMs)
        return;
    ProgressBar1->setValue(position_);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceEvents_.start();
}

void TProgressForm::End() {
    close();
    // Some window systems give the keyboard to the bar's window all the same: it goes back
    if (working_ && working_->isVisible() && !working_->isActiveWindow())
        working_->activateWindow();
    working_ = nullptr;
}

} // namespace zarvo::printing
