#include "app/symbolview.h"

#include "component/qrcode.h"

#include <QPaintEvent>
#include <QPainter>
#include <variant>

namespace zarvo::app {

TSymbolView::TSymbolView(component::TQRCode& qr, QWidget* parent) : QWidget(parent), qr_(qr) {
    Follow();
}

void TSymbolView::Follow() {
    resize(std::max(0, qr_.Width()), std::max(0, qr_.Height()));
    update();
}

void TSymbolView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const component::Picture& picture = qr_.Picture();
    if (const auto* bitmap = std::get_if<component::Bitmap>(&picture)) {
        if (bitmap->IsEmpty())
            return;
        if (bitmap->BitsPerPixel() == 32) {
            // shares the rows; painting only the exposed part keeps large pictures cheap
            const QImage view(bitmap->Row(0), bitmap->Width(), bitmap->Height(), bitmap->Stride(),
                              QImage::Format_RGB32);
            painter.drawImage(event->rect().topLeft(), view, event->rect());
        } else {
            painter.drawImage(0, 0, bitmap->ToImage());
        }
    } else if (const auto* metafile = std::get_if<component::Metafile>(&picture)) {
        if (!metafile->IsEmpty())
            metafile->Play(painter, QRectF(0, 0, metafile->Width, metafile->Height));
    }
}

} // namespace zarvo::app
