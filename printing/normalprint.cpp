#include "printing/normalprint.h"

#include "printing/pagepainter.h"
#include "printing/printdevice.h"

namespace zarvo::printing {

void PrintNormal(PrintDevice& device, const QString& title, const component::Picture& picture,
                 const PrintGeometry& g, int64_t count) {
    PrintJob job(device, title);
    for (int64_t i = 0; i < count; ++i) {
        const GridCell cell = CellOf(i, g);
        StretchDraw(job.CanvasOfPage(cell.Page), picture,
                    PageRect(CellLeft(cell, g), CellTop(cell, g), g.Width, g.Height));
    }
    job.End();
}

} // namespace zarvo::printing
