// The module listing in the portable bitmap text form "P1": a header of three lines, then per
// symbol two empty lines and W lines of W tokens " 0" (light) or " 1" (dark), where
// W = (side + 8) * pxmag.
#pragma once

#include "encoder/encoder.h"

#include <string>
#include <vector>

namespace zarvo::encoder {

// Replaces lines with the listing of every piece of the encoder's last division of data[0..len),
// re-encoding each piece; stops at the first piece that is too long or does not fit. A division
// that fails the check of CheckPieces for this data and the encoder's Count (made for other data)
// lists no piece; otherwise the check sets Parity as it does for a drawing. pxmag: 1..10 pixels
// per module.
void MakePbm(SymbolEncoder& enc, const uint8_t* data, int32_t len, int32_t pxmag,
             std::vector<std::string>& lines);

// Appends the W lines of the symbol now in the encoder's matrix.
void AddPbmSymbol(const SymbolEncoder& enc, int32_t pxmag, std::vector<std::string>& lines);

} // namespace zarvo::encoder
