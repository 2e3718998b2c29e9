// Text forms of finished symbols, each taken from the encoder's module matrix right after the
// piece was encoded.
#pragma once

#include "encoder/encoder.h"

#include <cstdint>
#include <string>

namespace zarvo::cli {

// The three header lines of the "P1" listing, each ending in a newline: "P1", the mode line
// ("Single Mode (Count = 1)", "Connect Mode (Count = 3)", "Plus Mode (Count = 17)") and the size
// line "W W" with W = (side + 8) * pxmag.
std::string PbmHeader(encoder::TQRMode mode, int32_t count, int32_t width);

// Appends one symbol of the listing: two empty lines, then the W lines of the encoder's
// AddPbmSymbol, each ending in a newline.
void AppendPbmSymbol(const encoder::SymbolEncoder& enc, int32_t pxmag, std::string& out);

// Appends the symbol as half-block characters, two module rows per line, with a quiet zone of four
// modules. As in qrencode's UTF8 output the light modules are the blocks (a dark terminal
// background shows the dark modules): U+2588 light over light, U+2580 light over dark, U+2584
// dark over light, a space for dark over dark. The row below the last one counts as light.
void AppendUtf8Symbol(const encoder::SymbolEncoder& enc, std::string& out);

// Appends the symbol as qrencode's ASCII output does: "##" per dark module, two spaces per light
// one, a quiet zone of four modules on every side.
void AppendAsciiSymbol(const encoder::SymbolEncoder& enc, std::string& out);

} // namespace zarvo::cli
