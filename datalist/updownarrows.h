// A pair of arrow buttons, one above the other, that report each mouse press and each click; held
// down, they repeat. What a click means (and the count the arrows keep) is up to the window.
#pragma once

#include <QWidget>

class QToolButton;

namespace zarvo::datalist {

class UpDownArrows : public QWidget {
    Q_OBJECT

  public:
    explicit UpDownArrows(QWidget* parent = nullptr);

  Q_SIGNALS:
    // A mouse press on either arrow, before its click.
    void Pressed();
    // An arrow was clicked (up: the upper one).
    void Clicked(bool up);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace zarvo::datalist
