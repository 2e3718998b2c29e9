// The up/down arrow control: a position within a range that each arrow click steps by one, shown
// in the associated edit box when there is one (arrows without one only count their clicks). Only
// the user's clicks are signalled; the program sets the position silently. The arrows are the
// children "Up" and "Down"; held down, they repeat.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zarvo::shared {

class TUpDown : public QWidget {
    Q_OBJECT

  public:
    TUpDown(int min, int max, int position, QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // Clamped into the range; shown in the associated edit box. Signals nothing.
    void SetPosition(int value);
    // The edit box that shows the position; its Up and Down keys click the arrows, and leaving it
    // shows the position again in place of a number typed without Return.
    void SetAssociate(QLineEdit* edit);
    // The position the edit box's text asks for, within the range: a number above the range gives
    // Max, below it Min; a text that is no number keeps the position. Shows the result.
    int TakeEditText();

  Q_SIGNALS:
    // Before the click of a mouse press on either arrow is handled.
    void Pressed();
    // The user clicked an arrow (up: towards Max); Position() is already stepped.
    void Clicked(bool up);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Step(bool up);
    void Show();

    int min_, max_, position_;
    QLineEdit* associate_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace zarvo::shared
