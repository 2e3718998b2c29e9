// TProgressForm: the small always-on-top window with a bar that shows while the preview builds its
// pages. One instance lives as long as the program; it is shown without being modal and closed
// when the pages are done.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <cstdint>

class QProgressBar;

namespace zarvo::printing {

// The bar of a long computation, as the page building drives it.
class Progress {
  public:
    virtual ~Progress() = default;
    // Range 0..maximum, position 0; the bar shows.
    virtual void Begin(int64_t maximum) = 0;
    // One step, up to the maximum.
    virtual void StepIt() = 0;
    // The bar goes away.
    virtual void End() = 0;
};

class TProgressForm : public QWidget, public Progress {
    Q_OBJECT

  public:
    // A tool window without border icons, always on top, client area 267 × 72, captioned
    // "ただいま計算中です。  ---  しばらくお待ち下さい。"; the bar ranges 0..100.
    explicit TProgressForm(QWidget* parent = nullptr);

    // Shows the window centred on the screen.
    void Begin(int64_t maximum) override;
    // Steps the bar. Every few hundredths of a second the bar shows the position, the program's
    // windows are repainted and the window system is answered (user input waits until the work
    // is done).
    void StepIt() override;
    void End() override;
    // The position stepped to, which the bar shows at the next of those moments.
    int Position() const { return position_; }

    QProgressBar* ProgressBar1;

  private:
    void KeepResponsive();

    QElapsedTimer sinceEvents_;
    int position_ = 0;
    QPointer<QWidget> working_; // the active window when the bar came
};

} // namespace zarvo::printing
