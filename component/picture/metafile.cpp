#include "component/picture/metafile.h"

#include <optional>

namespace zarvo::component {

void Metafile::Play(QPainter& painter, const QRectF& target) const {
    if (IsEmpty() || target.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / Width, target.height() / Height);
    // Fills are pixel rectangles: without antialiasing they land on whole device pixels, and
    // neighbouring runs neither overlap nor leave gaps at any scale
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    std::optional<TextPainter> textPainter; // of the last font used
    for (const auto& record : Records) {
        if (const auto* fill = std::get_if<MetaFill>(&record)) {
            if (fill->left < fill->right && fill->top < fill->bottom)
                painter.fillRect(
                    QRect(fill->left, fill->top, fill->right - fill->left, fill->bottom - fill->top),
                    QColor(ResolveColor(fill->color)));
            continue;
        }
        const auto& text = std::get<MetaText>(record);
        if (text.text.empty())
            continue;
        if (!textPainter || !(textPainter->Font() == text.font))
            textPainter.emplace(text.font);
        const TextLayout layout = textPainter->LayOut(text.text);
        painter.fillRect(QRect(text.x, text.y, layout.Width, layout.Height),
                         QColor(ResolveColor(text.background)));
        textPainter->DrawGlyphs(painter, text.x, text.y, layout);
        painter.setPen(Qt::NoPen);
    }
    painter.restore();
}

QImage Metafile::ToImage() const {
    if (IsEmpty())
        return QImage();
    QImage image(Width, Height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    Play(painter, QRectF(0, 0, Width, Height));
    return image;
}

} // namespace zarvo::component
