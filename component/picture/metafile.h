// Recorded drawings: what stands in for the Windows enhanced metafile. A metafile plays back onto
// any QPainter at any scale (screen, preview, printer) and is written as EMF or placeable WMF.
#pragma once

#include "component/picture/color.h"
#include "component/picture/text.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zarvo::component {

// A recorded drawing: a frame of Width x Height pixels, filled rectangles and opaque texts.
struct MetaFill {
    int32_t left, top, right, bottom; // left/top included, right/bottom excluded
    TColor color;
};
struct MetaText {
    int32_t x, y;     // top-left of the text box
    std::string text; // CP932
    TFont font;
    TColor background; // the opaque box behind the text
};
struct Metafile {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<std::variant<MetaFill, MetaText>> Records;

    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    // Plays the records onto the painter, frame pixel (0, 0) at target's top-left, scaled so that
    // the frame fills target.
    void Play(QPainter& painter, const QRectF& target) const;
    // Renders at one device pixel per frame pixel, on white; a null image when it cannot be
    // allocated.
    QImage ToImage() const;
};

// The enhanced metafile (EMF) and placeable Windows metafile (WMF) files of a metafile, written as
// the Windows formats define them (96 dpi: EMF frame in 0.01 mm, WMF placeable header at 96
// logical units per inch; texts in UTF-16 / CP932). Both throw ImageError for an empty metafile;
// WriteWmf also for a frame above 32767 pixels, which its 16-bit coordinates cannot reach.
std::vector<uint8_t> WriteEmf(const Metafile& metafile);
std::vector<uint8_t> WriteWmf(const Metafile& metafile);

} // namespace zarvo::component
