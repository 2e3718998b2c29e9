#include "cli/render.h"

#include "encoder/pbm.h"

#include <vector>

namespace zarvo::cli {

namespace {

constexpr int kQuietZone = 4;

// Dark module at (row, col) of the symbol with its quiet zone; outside the symbol is light.
bool DarkAt(const encoder::SymbolEncoder& enc, int row, int col) {
    const int side = enc.Side();
    return row >= 0 && row < side && col >= 0 && col < side && enc.Dark(row, col);
}

} // namespace

std::string PbmHeader(encoder::TQRMode mode, int32_t count, int32_t width) {
    const char* name = mode == encoder::qrSingle ? "Single" : mode == encoder::qrConnect ? "Connect" : "Plus";
    const std::string w = std::to_string(width);
    return "P1\n" + std::string(name) + " Mode (Count = " + std::to_string(count) + ")\n" + w + " " + w +
           "\n";
}

void AppendPbmSymbol(const encoder::SymbolEncoder& enc, int32_t pxmag, std::string& out) {
    std::vector<std::string> lines;
    encoder::AddPbmSymbol(enc, pxmag, lines);
    out += "\n\n";
    for (const auto& line : lines) {
        out += line;
        out += '\n';
    }
}

void AppendUtf8Symbol(const encoder::SymbolEncoder& enc, std::string& out) {
    static const char* const kCells[2][2] = {
        // [upper dark][lower dark]
        {"\u2588", "\u2580"},
        {"\u2584", " "},
    };
    const int side = enc.Side();
    for (int row = -kQuietZone; row < side + kQuietZone; row += 2) {
        for (int col = -kQuietZone; col < side + kQuietZone; ++col)
            out += kCells[DarkAt(enc, row, col)][DarkAt(enc, row + 1, col)];
        out += '\n';
    }
}

void AppendAsciiSymbol(const encoder::SymbolEncoder& enc, std::string& out) {
    const int side = enc.Side();
    for (int row = -kQuietZone; row < side + kQuietZone; ++row) {
        for (int col = -kQuietZone; col < side + kQuietZone; ++col)
            out += DarkAt(enc, row, col) ? "##" : "  ";
        out += '\n';
    }
}

} // namespace zarvo::cli
