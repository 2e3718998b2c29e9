// The image control of the symbol component: shows the component's picture (bitmap or metafile)
// at the component's size.
#pragma once

#include <QWidget>

namespace zarvo::component {
class TQRCode;
}

namespace zarvo::app {

class TSymbolView : public QWidget {
  public:
    TSymbolView(component::TQRCode& qr, QWidget* parent = nullptr);
    // Follows the component's size and repaints; the component calls it after every drawing.
    void Follow();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    component::TQRCode& qr_;
};

} // namespace zarvo::app
