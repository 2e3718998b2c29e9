#include "encoder/pbm.h"

#include <cassert>

namespace zarvo::encoder {

void MakePbm(SymbolEncoder& enc, const uint8_t* data, int32_t len, int32_t pxmag,
             std::vector<std::string>& lines) {
    assert(pxmag >= 1 && pxmag <= 10);
    lines.clear();
    lines.emplace_back("P1");
    const char* modeName = enc.Mode == qrSingle ? "Single" : enc.Mode == qrConnect ? "Connect" : "Plus";
    lines.push_back(std::string(modeName) + " Mode (Count = " + std::to_string(enc.Count) + ")");
    const int32_t w = (enc.Side() + 8) * pxmag;
    lines.push_back(std::to_string(w) + " " + std::to_string(w));
    // The division is that of the last drawing; changes made since with drawing off (other data,
    // another Count or Mode) leave it describing data that is no longer there. A division that
    // does not cover this data in Count pieces lists nothing, as a first piece that fails.
    try {
        CheckPieces(data, len, enc.Count, enc.Mode, enc.Column, enc.PieceOffsets.data(), enc.Parity);
    } catch (const EncodeError&) {
        return;
    }
    for (int32_t k = 1; k <= enc.Count; ++k) {
        if (enc.EncodePiece(k, data, len) != PieceResult::Encoded)
            break;
        lines.emplace_back();
        lines.emplace_back();
        AddPbmSymbol(enc, pxmag, lines);
    }
}

void AddPbmSymbol(const SymbolEncoder& enc, int32_t pxmag, std::vector<std::string>& lines) {
    const int32_t side = enc.Side();
    const auto quiet = static_cast<size_t>(4 * pxmag);
    const auto width = static_cast<size_t>((side + 8) * pxmag);
    std::string light;
    for (size_t i = 0; i < width; ++i)
        light += " 0";
    for (size_t i = 0; i < quiet; ++i)
        lines.push_back(light);
    std::string line;
    for (int32_t r = 0; r < side; ++r) {
        line.assign(light, 0, 2 * quiet);
        for (int32_t c = 0; c < side; ++c) {
            const char* token = enc.Dark(r, c) ? " 1" : " 0";
            for (int32_t p = 0; p < pxmag; ++p)
                line += token;
        }
        line.append(light, 0, 2 * quiet);
        for (int32_t p = 0; p < pxmag; ++p)
            lines.push_back(line);
    }
    for (size_t i = 0; i < quiet; ++i)
        lines.push_back(light);
}

} // namespace zarvo::encoder
