#include "printing/printdevice.h"

#include <QPainter>

namespace zarvo::printing {

bool DeviceMetrics::operator==(const DeviceMetrics& o) const {
    return DpiX == o.DpiX && DpiY == o.DpiY && PageWidth == o.PageWidth && PageHeight == o.PageHeight &&
           PhysicalWidth == o.PhysicalWidth && PhysicalHeight == o.PhysicalHeight && OffsetX == o.OffsetX &&
           OffsetY == o.OffsetY && ScaleFactor == o.ScaleFactor;
}

bool PrintDevice::SetUp(QWidget* parent, shared::Dialogs& dialogs) {
    if (!RunSetUpDialog(parent, dialogs))
        return false;
    chosen_ = true;
    return true;
}

bool PrintDevice::Choose(QWidget* parent, shared::Dialogs& dialogs) {
    if (chosen_ && !PrintsToFile())
        return true;
    if (!RunPrintDialog(parent, dialogs))
        return false;
    chosen_ = true;
    return true;
}

PrintJob::PrintJob(PrintDevice& device, const QString& title) : device_(device) {
    device_.BeginDoc(title);
}

PrintJob::~PrintJob() {
    if (!open_)
        return;
    try {
        device_.Abort();
    } catch (...) {
        // already leaving on an error: the first one is what the user hears of
    }
}

QPainter& PrintJob::CanvasOfPage(int64_t page) {
    for (; page_ < page; ++page_)
        device_.NewPage();
    return device_.Canvas();
}

void PrintJob::End() {
    open_ = false;
    device_.EndDoc();
}

} // namespace zarvo::printing
