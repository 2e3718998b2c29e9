// Dark modules written straight into a 32-bit bitmap's rows, one pixel per module: the part of the
// symbol painting that runs for every row of every symbol.
#pragma once

#include "component/picture/bitmap.h"
#include "encoder/matrix.h"

#include <cstdint>

namespace zarvo::component {

// Rows y0 .. y0 + side - 1 of a symbol whose dark modules are the packed rows dark[0 .. side - 1]
// (no bit set past the side), its first module at x0: dark modules take the pixel, light ones keep
// what is there. Rows outside the bitmap are skipped; the columns x0 .. x0 + side - 1 must lie
// inside it. Pixels right of the symbol may be read and written back unchanged. AVX2 where the
// processor has it (see cpu.h).
void PaintModuleRows(Bitmap& bitmap, const encoder::PackedRow* dark, int side, int64_t x0, int64_t y0,
                     uint32_t pixel);

} // namespace zarvo::component
