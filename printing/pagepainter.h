// Paints the component's picture onto any page: the printer's, the preview's page image, or a
// recording device's.
#pragma once

#include "component/picture/picture.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <cstdint>

namespace zarvo::printing {

// Stretch-draws the picture into target: a bitmap pixel for pixel scaled (without smoothing, as a
// printer or a page image shows it), a metafile played at the target's scale and cut at its
// edges, as the bitmap is. An empty picture draws nothing. Leaves the painter without smooth pixmap
// transformation.
void StretchDraw(QPainter& painter, const component::Picture& picture, const QRectF& target);

// The rectangle of x, y, w, h in device pixels.
inline QRectF PageRect(int64_t x, int64_t y, int64_t w, int64_t h) {
    return QRectF(static_cast<qreal>(x), static_cast<qreal>(y), static_cast<qreal>(w), static_cast<qreal>(h));
}

// A read-only image over a 32-bit bitmap's pixels (valid while the bitmap lives unchanged), or a
// copy for other depths.
QImage ImageOf(const component::Bitmap& bitmap);

} // namespace zarvo::printing
