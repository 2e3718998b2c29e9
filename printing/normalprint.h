// Normal print: the picture the main window shows, repeated in a grid of rows and columns, page
// after page.
#pragma once

#include "component/picture/picture.h"
#include "printing/printgeometry.h"

#include <QString>
#include <cstdint>

namespace zarvo::printing {

class PrintDevice;

// Prints count copies of the picture as one job titled title: row by row, left to right, the
// copy in column c and row r stretch-drawn into (c (w + cg), r (h + rg)) - (+ w, + h); a page
// is begun only for copies that are left. The picture is the caller's copy: nothing the program
// does meanwhile changes what is printed.
void PrintNormal(PrintDevice& device, const QString& title, const component::Picture& picture,
                 const PrintGeometry& g, int64_t count);

} // namespace zarvo::printing
