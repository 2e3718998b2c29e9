#include "printing/pagepainter.h"

#include <variant>

namespace zarvo::printing {

QImage ImageOf(const component::Bitmap& bitmap) {
    if (bitmap.IsEmpty())
        return QImage();
    if (bitmap.BitsPerPixel() != 32)
        return bitmap.ToImage();
    return QImage(bitmap.Row(0), bitmap.Width(), bitmap.Height(), bitmap.Stride(), QImage::Format_RGB32);
}

void StretchDraw(QPainter& painter, const component::Picture& picture, const QRectF& target) {
    if (target.isEmpty())
        return;
    if (const auto* bitmap = std::get_if<component::Bitmap>(&picture)) {
        const QImage image = ImageOf(*bitmap);
        if (image.isNull())
            return;
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, image, QRectF(image.rect()));
    } else if (const auto* metafile = std::get_if<component::Metafile>(&picture)) {
        // Comments that reach out of their cell are cut at the picture's edge, as in a bitmap
        painter.save();
        painter.setClipRect(target, Qt::IntersectClip);
        metafile->Play(painter, target);
        painter.restore();
    }
}

} // namespace zarvo::printing
