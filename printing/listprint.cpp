#include "printing/listprint.h"

#include "component/qrcode.h"
#include "printing/pagepainter.h"
#include "printing/printdevice.h"

namespace zarvo::printing {

bool LoadItem(component::TQRCode& qr, const datalist::DataList& items, int32_t i) {
    qr.SetSymbolEnabled(false);
    qr.SetCommentUp(items.Up(i));
    qr.SetCommentDown(items.Down(i));
    qr.SetCode(items.Code(i));
    qr.SetSymbolEnabled(true);
    return qr.SymbolDisped();
}

int32_t CountPrintable(component::TQRCode& qr, const datalist::DataList& items) {
    struct DebugOff {
        component::TQRCode& qr;
        ~DebugOff() { qr.SetSymbolDebug(false); }
    } debugOff{qr};
    qr.SetSymbolDebug(true);
    int32_t count = 0;
    for (int32_t i = 0; i < items.Count(); ++i) {
        qr.SetCode(items.Code(i));
        if (qr.SymbolDisped())
            ++count;
    }
    return count;
}

PrintedSize PrintedSizeOf(const component::TQRCode& qr, const Measurements& m, int32_t magnification) {
    const PrintGeometry g = ComputeGeometry(m, magnification, qr.Width(), qr.Height(), 0, 0);
    return PrintedSize{g.Width, g.Height};
}

void PrintList(PrintDevice& device, const QString& title, component::TQRCode& qr,
               const datalist::DataList& items, const Measurements& m, int32_t magnification,
               int32_t colSpace, int32_t rowSpace) {
    const PrintGeometry gaps = ComputeGeometry(m, magnification, 1, 1, colSpace, rowSpace);
    ListFlow flow(m.PageWidth, m.PageHeight, gaps.ColGap, gaps.RowGap, 100);
    PrintJob job(device, title);
    for (int32_t i = 0; i < items.Count(); ++i) {
        if (!LoadItem(qr, items, i))
            continue;
        const PrintedSize size = PrintedSizeOf(qr, m, magnification);
        const FlowPlacement at = flow.Place(size.Width, size.Height);
        // The picture goes to the page at once: the next item replaces it
        StretchDraw(job.CanvasOfPage(at.Page), qr.Picture(), PageRect(at.X, at.Y, size.Width, size.Height));
    }
    job.End();
}

SavedSymbol::SavedSymbol(component::TQRCode& qr)
    : qr_(qr), code_(qr.Code()), up_(qr.CommentUp()), down_(qr.CommentDown()) {}

SavedSymbol::~SavedSymbol() {
    if (restored_)
        return;
    try {
        Restore();
    } catch (...) {
        // the error that is leaving is the one to report
    }
}

void SavedSymbol::Restore() {
    restored_ = true;
    qr_.SetSymbolEnabled(false);
    qr_.SetCommentUp(up_);
    qr_.SetCommentDown(down_);
    qr_.SetCode(code_);
    qr_.SetSymbolEnabled(true);
}

} // namespace zarvo::printing
