#include "printing/previewpages.h"

#include "component/qrcode.h"
#include "printing/listprint.h"
#include "printing/pagepainter.h"
#include "printing/progress.h"
#include "printing/uitext.h"

#include <QPainter>
#include <algorithm>
#include <climits>

namespace zarvo::printing {

namespace {

int ToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX / 4));
}

// The pages' own painter: the page bitmap is cleared through it between pages.
struct PagePainter {
    QImage& bitmap;
    QPainter painter{&bitmap};
    bool dirty = false;
    void Clear() {
        painter.fillRect(bitmap.rect(), Qt::white);
        dirty = false;
    }
};

// The bar for as long as the drawing runs, also when an error ends it.
struct ProgressScope {
    Progress* progress;
    ProgressScope(Progress* p, int64_t maximum) : progress(p) {
        if (progress)
            progress->Begin(maximum);
    }
    ~ProgressScope() {
        if (progress)
            progress->End();
    }
    void Step() const {
        if (progress)
            progress->StepIt();
    }
};

int64_t Minimum(int64_t pages, int64_t perPage, int64_t count) {
    // (p + 1) × symbols per page without overflow: past the count it does not matter
    if (perPage > 0 && pages > count / perPage)
        return count;
    return std::min(pages * perPage, count);
}

} // namespace

PreviewPages::PreviewPages(const PreviewSetup& setup)
    : setup_(setup),
      sizes_(ComputePreviewSizes(setup.Devices.PageWidth, setup.Devices.PageHeight, setup.Scale, 0)),
      image_(ToInt(sizes_.ClientWidth), ToInt(sizes_.ClientHeight), QImage::Format_RGB32),
      pageBitmap_(ToInt(sizes_.PageBitmapWidth), ToInt(sizes_.PageBitmapHeight), QImage::Format_RGB32) {
    image_.fill(Qt::white);
    pageBitmap_.fill(Qt::white);
}

void PreviewPages::Start(PagesDrawn& drawn) {
    image_.fill(Qt::white);
    drawn = PagesDrawn();
}

void PreviewPages::DrawFrame(int64_t page, int64_t first, PagesDrawn& drawn) {
    const int64_t pw = sizes_.PageBitmapWidth, ph = sizes_.PageBitmapHeight;
    const int64_t wideRight = 2 * int64_t{setup_.Devices.PageWidth} * setup_.Scale / 100 + 30;
    QPainter painter(&image_);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    // An outline from (l, t) to (r, b) covers l..r - 1 and t..b - 1
    const auto outline = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
        painter.drawRect(QRect(ToInt(l), ToInt(t), ToInt(r - l - 1), ToInt(b - t - 1)));
    };
    const QString label = QString::number(page) + U("ページ目");
    if (page == first) {
        outline(5, 5, pw + 15, ph + 15);
        drawn.Label1 = label;
    } else {
        outline(pw + 20, 5, wideRight, ph + 15);
        drawn.Label2 = label;
        drawn.RightPage = true;
    }
}

void PreviewPages::FinishPage(int64_t page, int64_t first, PagesDrawn& drawn) {
    if (page != first && page != first + 1)
        return;
    DrawFrame(page, first, drawn);
    const int64_t offset = page == first ? 0 : sizes_.PageBitmapWidth + 15;
    QPainter painter(&image_);
    painter.drawImage(QPoint(ToInt(10 + offset), 10), pageBitmap_);
}

PagesDrawn PreviewPages::DrawNormal(int64_t p, const component::Picture& picture, int64_t width,
                                    int64_t height, int64_t count, Progress* progress) {
    PagesDrawn drawn;
    Start(drawn);
    const Measurements& m = setup_.Devices;
    const int32_t s = setup_.Scale;
    const PrintGeometry g =
        ComputeGeometry(m, setup_.Magnification, width, height, setup_.ColSpace, setup_.RowSpace);
    const int64_t ws = Scaled(g.Width, s), hs = Scaled(g.Height, s);
    const int64_t cgs = Scaled(g.ColGap, s), rgs = Scaled(g.RowGap, s);
    const int64_t total = Minimum(p + 1, g.PerPage(), count);
    {
        const ProgressScope bar(progress, total);
        PagePainter page{pageBitmap_};
        page.Clear();
        int64_t current = p;
        for (int64_t i = 0; i < total; ++i) {
            const GridCell cell = CellOf(i, g);
            if (cell.Page >= p) {
                if (cell.Page != current) {
                    FinishPage(current, p, drawn);
                    page.Clear();
                    current = cell.Page;
                }
                StretchDraw(page.painter, picture,
                            PageRect(cell.Column * (ws + cgs), cell.Row * (hs + rgs), ws, hs));
            }
            bar.Step();
        }
        FinishPage(current, p, drawn);
        page.Clear();
    }
    return drawn;
}

PagesDrawn PreviewPages::DrawList(int64_t first, int64_t last, component::TQRCode& qr,
                                  const datalist::DataList& items, int64_t symbolsPerPage,
                                  Progress* progress) {
    PagesDrawn drawn;
    Start(drawn);
    const Measurements& m = setup_.Devices;
    const int32_t s = setup_.Scale;
    const PrintGeometry gaps =
        ComputeGeometry(m, setup_.Magnification, 1, 1, setup_.ColSpace, setup_.RowSpace);
    ListFlow flow(m.PageWidth, m.PageHeight, gaps.ColGap, gaps.RowGap, s);
    int64_t lastPlaced = 0;
    bool reachedEnd = true;
    {
        const ProgressScope bar(progress, Minimum(first + 1, symbolsPerPage, items.Count()));
        PagePainter page{pageBitmap_};
        page.Clear();
        int64_t current = first;
        for (int32_t i = 0; i < items.Count(); ++i) {
            if (!LoadItem(qr, items, i))
                continue;
            const PrintedSize size = PrintedSizeOf(qr, m, setup_.Magnification);
            const FlowPlacement at = flow.Place(size.Width, size.Height);
            if (at.Page > last) {
                reachedEnd = false;
                break;
            }
            lastPlaced = at.Page;
            if (at.Page >= first) {
                if (at.Page != current) {
                    FinishPage(current, first, drawn);
                    page.Clear();
                    current = at.Page;
                }
                StretchDraw(page.painter, qr.Picture(),
                            PageRect(at.Xs, at.Ys, Scaled(size.Width, s), Scaled(size.Height, s)));
            }
            bar.Step();
        }
        FinishPage(current, first, drawn);
        page.Clear();
    }
    if (reachedEnd)
        drawn.LastPage = std::max<int64_t>(lastPlaced, 1);
    return drawn;
}

} // namespace zarvo::printing
