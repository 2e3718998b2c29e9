#include "printing/printgeometry.h"

#include <algorithm>
#include <cstdint>

namespace zarvo::printing {

int32_t SpacingStep(MouseButton button, bool shift, bool ctrl, bool alt) {
    if (button == MouseButton::Other)
        return 0;
    const int32_t step = shift ? 10 : ctrl ? 5 : alt ? 2 : 1;
    return button == MouseButton::Left ? -step : step;
}

int32_t StepSpacing(int32_t value, int32_t step) {
    const int64_t sum = int64_t{value} + step;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, kMinSpacing, kMaxSpacing));
}

int64_t ToPrinterPixels(int64_t screenPixels, int32_t printerDpi, int32_t magnification, int32_t screenDpi) {
    int64_t product = 0;
    // Beyond 64 bits a length means nothing on paper any more: it saturates
    if (__builtin_mul_overflow(screenPixels, int64_t{printerDpi}, &product) ||
        __builtin_mul_overflow(product, int64_t{magnification}, &product))
        product = ((screenPixels < 0) != (printerDpi < 0)) != (magnification < 0) ? INT64_MIN : INT64_MAX;
    return product / std::max(screenDpi, 1) / 100;
}

int64_t GridCount(int64_t extent, int64_t size, int64_t gap) {
    // The positions v = extent - k (size + gap) while v > 0, counting those where v >= size: the
    // count of k with k (size + gap) <= extent - size.
    if (extent < size)
        return 1;
    return (extent - size) / (size + gap) + 1;
}

PrintGeometry ComputeGeometry(const Measurements& m, int32_t magnification, int64_t width, int64_t height,
                              int32_t colSpace, int32_t rowSpace) {
    PrintGeometry g;
    // A picture of no printed size would never leave its column (w + cg = 0): it takes a pixel.
    g.Width = std::max<int64_t>(1, ToPrinterPixels(width, m.PrinterDpiX, magnification, m.ScreenDpiX));
    g.Height = std::max<int64_t>(1, ToPrinterPixels(height, m.PrinterDpiY, magnification, m.ScreenDpiY));
    g.ColGap = std::max<int64_t>(0, ToPrinterPixels(std::clamp(colSpace, kMinSpacing, kMaxSpacing),
                                                    m.PrinterDpiX, magnification, m.ScreenDpiX));
    g.RowGap = std::max<int64_t>(0, ToPrinterPixels(std::clamp(rowSpace, kMinSpacing, kMaxSpacing),
                                                    m.PrinterDpiY, magnification, m.ScreenDpiY));
    g.Columns = GridCount(m.PageWidth, g.Width, g.ColGap);
    g.Rows = GridCount(m.PageHeight, g.Height, g.RowGap);
    return g;
}

int64_t PageCount(int64_t count, int64_t perPage) {
    if (count <= 0)
        return 0;
    perPage = std::max<int64_t>(perPage, 1);
    return (count + perPage - 1) / perPage;
}

GridCell CellOf(int64_t index, const PrintGeometry& g) {
    const int64_t perPage = std::max<int64_t>(g.PerPage(), 1);
    const int64_t onPage = index % perPage;
    const int64_t columns = std::max<int64_t>(g.Columns, 1);
    return GridCell{index / perPage + 1, onPage % columns, onPage / columns};
}

ListFlow::ListFlow(int64_t pageWidth, int64_t pageHeight, int64_t colGap, int64_t rowGap, int32_t scale)
    : pageWidth_(pageWidth), pageHeight_(pageHeight), colGap_(colGap), rowGap_(rowGap), scale_(scale) {}

void ListFlow::EndRow() {
    y_ += rowHeight_ + rowGap_;
    ys_ += rowHeightS_ + Scaled(rowGap_, scale_);
    x_ = xs_ = rowHeight_ = rowHeightS_ = 0;
    if (y_ >= pageHeight_) {
        ++page_;
        y_ = ys_ = 0;
    }
}

FlowPlacement ListFlow::Place(int64_t w, int64_t h) {
    // Crossing the right edge: the row ends and the picture starts the next one
    if (x_ > 0 && x_ + w > pageWidth_)
        EndRow();
    // Crossing the bottom edge: the row ends with the picture's height, which also ends the page,
    // even when earlier pictures of the row stay on it
    if (y_ > 0 && y_ + h > pageHeight_) {
        rowHeight_ = h;
        rowHeightS_ = Scaled(h, scale_);
        EndRow();
    }
    const FlowPlacement placed{page_, x_, y_, xs_, ys_};
    x_ += w + colGap_;
    xs_ += Scaled(w, scale_) + Scaled(colGap_, scale_);
    rowHeight_ = std::max(rowHeight_, h);
    rowHeightS_ = std::max(rowHeightS_, Scaled(h, scale_));
    // A full row ends before the next picture is looked at
    if (x_ >= pageWidth_)
        EndRow();
    return placed;
}

int32_t PreviewScale(int32_t screenWidth, int32_t screenHeight, int32_t pageWidth, int32_t pageHeight) {
    // A large printable area on a small screen gives 0, which the same-size magnification would
    // divide by
    if (pageWidth <= 0 || pageHeight <= 0)
        return 1;
    const int64_t byWidth = int64_t{screenWidth} * 99 / pageWidth / 2;
    const int64_t byHeight = int64_t{screenHeight} * 80 / pageHeight;
    return static_cast<int32_t>(std::clamp<int64_t>(std::min(byWidth, byHeight), 1, 100000));
}

int64_t SameSizeMagnification(int32_t screenDpiX, int32_t scale, int32_t printerDpiX) {
    return int64_t{screenDpiX} * 10000 / std::max(scale, 1) / std::max(printerDpiX, 1);
}

PreviewSizes ComputePreviewSizes(int32_t pageWidth, int32_t pageHeight, int32_t scale, int32_t panelHeight) {
    PreviewSizes s;
    s.PageBitmapWidth = Scaled(pageWidth, scale);
    s.PageBitmapHeight = Scaled(pageHeight, scale);
    s.ClientWidth = 2 * int64_t{pageWidth} * scale / 100 + 35;
    s.ClientHeight = s.PageBitmapHeight + panelHeight + 20;
    s.RightPageLeft = s.PageBitmapWidth + 20;
    return s;
}

} // namespace zarvo::printing
