// Where printed pictures land: the conversion of screen pixels into printer pixels, the grid of a
// normal print, the flow of a list print, the preview's scale and the spacing steps of the main
// window's spacing panels. Pure integer arithmetic, no Qt.
//
// Every product and quotient is evaluated in 64 bits, left to right, each division truncating:
// wherever the same expression in 32 bits did not overflow, the results are the same.
#pragma once

#include <cstdint>

namespace zarvo::printing {

// ---- Print settings of the main window ----

// PrintRowSpace and PrintColSpace: screen pixels at 100 %.
inline constexpr int32_t kMinSpacing = 0;
inline constexpr int32_t kMaxSpacing = 2000;

enum class MouseButton { Left, Right, Other };

// The step of a mouse press on a spacing panel: left presses take away, right presses add;
// Shift 10, else Ctrl 5, else Alt 2, else 1. Other buttons step by 0.
int32_t SpacingStep(MouseButton button, bool shift, bool ctrl, bool alt);
// value + step, clamped into kMinSpacing..kMaxSpacing.
int32_t StepSpacing(int32_t value, int32_t step);

// ---- Devices ----

// The measurements a print is laid out with: printer dots per inch, the printable area in printer
// pixels, and the dots per inch of the screen the picture was drawn for.
struct Measurements {
    int32_t PrinterDpiX = 0;
    int32_t PrinterDpiY = 0;
    int32_t PageWidth = 0;
    int32_t PageHeight = 0;
    int32_t ScreenDpiX = 0;
    int32_t ScreenDpiY = 0;
};

// screenPixels × printerDpi × magnification ÷ screenDpi ÷ 100. A screen dpi below 1 counts as 1.
int64_t ToPrinterPixels(int64_t screenPixels, int32_t printerDpi, int32_t magnification, int32_t screenDpi);

// ---- Normal print ----

// A picture of Width × Height printer pixels (each at least 1), placed with the gaps between
// columns and rows, Columns × Rows to a page (each at least 1).
struct PrintGeometry {
    int64_t Width = 1;
    int64_t Height = 1;
    int64_t ColGap = 0;
    int64_t RowGap = 0;
    int64_t Columns = 1;
    int64_t Rows = 1;
    int64_t PerPage() const { return Columns * Rows; }
};

// The geometry of a picture of width × height screen pixels at magnification percent, with the
// spacings (screen pixels, brought into kMinSpacing..kMaxSpacing) as gaps. A picture too small to
// reach one printer pixel still takes one.
PrintGeometry ComputeGeometry(const Measurements& m, int32_t magnification, int64_t width, int64_t height,
                              int32_t colSpace, int32_t rowSpace);

// How many pictures of size, gap apart, fit into extent: the count of positions
// 0, size + gap, 2 (size + gap) ... at which a whole picture fits; at least 1, so that a picture
// larger than the page is still printed, one to a page. Needs size >= 1 and gap >= 0.
int64_t GridCount(int64_t extent, int64_t size, int64_t gap);

// Pages for count pictures at perPage to a page (rounded up; 0 pictures, 0 pages).
int64_t PageCount(int64_t count, int64_t perPage);

// Where picture index (0-based) of a normal print lands: its page (1-based), column and row.
struct GridCell {
    int64_t Page;
    int64_t Column;
    int64_t Row;
};
GridCell CellOf(int64_t index, const PrintGeometry& g);
// Its top-left corner on the page in printer pixels.
inline int64_t CellLeft(const GridCell& cell, const PrintGeometry& g) {
    return cell.Column * (g.Width + g.ColGap);
}
inline int64_t CellTop(const GridCell& cell, const PrintGeometry& g) {
    return cell.Row * (g.Height + g.RowGap);
}

// ---- List print ----

// Where one picture of a list print lands: its page (1-based) and its top-left corner, in printer
// pixels from the printable area's corner and in preview pixels.
struct FlowPlacement {
    int64_t Page;
    int64_t X, Y;
    int64_t Xs, Ys;
};

// The flow layout of a list print: pictures of varying size left to right in rows of varying
// height, rows top to bottom, page after page. A picture that would cross the right edge starts
// the next row, one that would cross the bottom edge the next page; at the start of a row or page
// a picture is placed whatever its size, so every picture is placed and the flow always advances.
// The preview's positions (scale percent) advance beside the printer's by the scaled sizes and
// gaps, as the preview draws them.
class ListFlow {
  public:
    ListFlow(int64_t pageWidth, int64_t pageHeight, int64_t colGap, int64_t rowGap, int32_t scale);
    // Places the next picture of w × h printer pixels (each at least 1).
    FlowPlacement Place(int64_t w, int64_t h);

  private:
    void EndRow();

    int64_t pageWidth_, pageHeight_, colGap_, rowGap_;
    int32_t scale_;
    int64_t page_ = 1;
    int64_t x_ = 0, y_ = 0, rowHeight_ = 0;
    int64_t xs_ = 0, ys_ = 0, rowHeightS_ = 0;
};

// ---- Preview ----

// Percent of printer pixels per preview pixel: min((screenWidth × 99 ÷ pageWidth) ÷ 2,
// screenHeight × 80 ÷ pageHeight), so that two pages take at most 99 % of the screen's width and
// one at most 80 % of its height; at least 1.
int32_t PreviewScale(int32_t screenWidth, int32_t screenHeight, int32_t pageWidth, int32_t pageHeight);

// printerPixels × scale ÷ 100.
inline int64_t Scaled(int64_t printerPixels, int32_t scale) {
    return printerPixels * scale / 100;
}

// The magnification at which the preview shows a picture at its screen size:
// screenDpiX × 10000 ÷ scale ÷ printerDpiX (a printer dpi below 1 counts as 1).
int64_t SameSizeMagnification(int32_t screenDpiX, int32_t scale, int32_t printerDpiX);

// The preview window's sizes for a printable area at a scale: two page images side by side with
// their frames, under a button panel of panelHeight.
struct PreviewSizes {
    int64_t PageBitmapWidth;  // pageWidth × scale ÷ 100
    int64_t PageBitmapHeight; // pageHeight × scale ÷ 100
    int64_t ClientWidth;      // 2 × pageWidth × scale ÷ 100 + 35
    int64_t ClientHeight;     // pageHeight × scale ÷ 100 + panelHeight + 20
    int64_t RightPageLeft;    // pageWidth × scale ÷ 100 + 20: the right frame and its label
};
PreviewSizes ComputePreviewSizes(int32_t pageWidth, int32_t pageHeight, int32_t scale, int32_t panelHeight);

} // namespace zarvo::printing
