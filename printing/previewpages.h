// The preview's page images: two pages side by side, each a scaled image of the printable area
// with the pictures where the print puts them, in a frame. What the preview window shows and
// copies; no widget.
#pragma once

#include "component/picture/picture.h"
#include "datalist/datalistmodel.h"
#include "printing/printgeometry.h"

#include <QImage>
#include <QString>
#include <cstdint>

namespace zarvo::component {
class TQRCode;
}

namespace zarvo::printing {

class Progress;

// What a preview is drawn with.
struct PreviewSetup {
    Measurements Devices;
    int32_t Magnification = 100;
    int32_t Scale = 1; // PreviewScale
    int32_t ColSpace = 0;
    int32_t RowSpace = 10;
};

// What one drawing showed.
struct PagesDrawn {
    QString Label1, Label2; // "<p>ページ目", "<p+1>ページ目" (empty without a right page)
    bool RightPage = false;
    // List mode: the page of the last item once the drawing reached it; 0 while it did not.
    int64_t LastPage = 0;
};

class PreviewPages {
  public:
    explicit PreviewPages(const PreviewSetup& setup);

    const PreviewSetup& Setup() const { return setup_; }
    const PreviewSizes& Sizes() const { return sizes_; }
    // The two pages with their frames (Image1's picture), 2 × page + 35 by page + 20 pixels.
    const QImage& Image() const { return image_; }
    // The page being drawn, white where nothing is.
    const QImage& PageBitmap() const { return pageBitmap_; }

    // Normal mode: count copies of the picture of width × height screen pixels, laid out as the
    // print lays them out; pages p and p + 1 are drawn. The bar steps for every copy placed up to
    // the last one drawn.
    PagesDrawn DrawNormal(int64_t p, const component::Picture& picture, int64_t width, int64_t height,
                          int64_t count, Progress* progress);

    // List mode: the items loaded into the component one after another and flowed as the print
    // flows them; pages first to last (the window: p and p + 1) are drawn, the first two into the
    // image, and the drawing stops at the first item beyond them. The bar's maximum is
    // min((p + 1) × symbolsPerPage, items); it steps for every item that gives a symbol.
    PagesDrawn DrawList(int64_t first, int64_t last, component::TQRCode& qr, const datalist::DataList& items,
                        int64_t symbolsPerPage, Progress* progress);

  private:
    // Clears the image and the labels.
    void Start(PagesDrawn& drawn);
    // Puts the page bitmap into its frame when page is first or first + 1, then clears it.
    void FinishPage(int64_t page, int64_t first, PagesDrawn& drawn);
    void DrawFrame(int64_t page, int64_t first, PagesDrawn& drawn);

    PreviewSetup setup_;
    PreviewSizes sizes_;
    QImage image_;
    QImage pageBitmap_;
};

} // namespace zarvo::printing
