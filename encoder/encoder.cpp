#include "encoder/encoder.h"

#include "encoder/reedsolomon.h"

#include <cstring>

namespace zarvo::encoder {

SymbolEncoder::SymbolEncoder() {
    BuildVersionTable(table_);
}

void SymbolEncoder::Divide(const uint8_t* data, int32_t len) {
    DividePieces(data, len, Count, Mode, PieceOffsets.data());
}

void SymbolEncoder::CheckDivision(const uint8_t* data, int32_t len) {
    CheckPieces(data, len, Count, Mode, Column, PieceOffsets.data(), Parity);
}

PieceResult SymbolEncoder::EncodePiece(int32_t k, const uint8_t* data, int32_t len) {
    if (k < 1 || k > kMaxPieces)
        return PieceResult::BadPiece;
    CurrentPiece = k;
    // The offsets may come from an older division than the data; never read outside the data.
    const int32_t begin = PieceOffsets[static_cast<size_t>(k - 1)];
    const int32_t end = PieceOffsets[static_cast<size_t>(k)];
    if (begin < 0 || end < begin || end > len)
        return PieceResult::BadPiece;
    if (end - begin > kMaxPieceBytes)
        return PieceResult::TooLong;
    SetPiece(data + begin, end - begin);
    return EncodeOne() ? PieceResult::Encoded : PieceResult::NotFit;
}

void SymbolEncoder::SetPiece(const uint8_t* bytes, int32_t len) {
    pieceLength_ = len < 0 ? 0 : len > kMaxPieceBytes ? kMaxPieceBytes : len;
    if (pieceLength_ > 0)
        std::memcpy(piece_.data(), bytes, static_cast<size_t>(pieceLength_));
}

bool SymbolEncoder::EncodeOne() {
    const VersionRecord& record = Record();
    const LevelRecord& level = record.levels[Eclevel];
    const StreamSettings settings{&record, Eclevel, Mode, CurrentPiece, Count, Parity};

    // Data codewords; a failure here leaves the matrix as it was.
    if (Emode < 0) {
        int32_t lastMode = -1;
        if (EncodeAutomatic(piece_.data(), pieceLength_, settings, data_.data(), lastMode) != 0)
            return false;
        EmodeR = lastMode;
    } else {
        EmodeR = Emode;
        if (EncodeForced(piece_.data(), pieceLength_, Emode, settings, data_.data()) != 0)
            return false;
    }

    ComputeErrorCorrection(level, data_.data(), ec_.data(), register_.data());
    Interleave(level, data_.data(), ec_.data(), sequence_.data());
    DrawFunctionPatterns(record, matrix_);
    PlaceCodewords(record, sequence_.data(), matrix_);
    ChooseAndApplyMask(Masktype, MasktypeR, matrix_);
    WriteFormatAndVersion(record, Eclevel, MasktypeR, matrix_);
    return true;
}

int32_t SymbolEncoder::Capacity() const {
    const int32_t mode = EmodeR < 0 ? kModeAlphanumeric : EmodeR;
    return Record().levels[Eclevel].capacities[mode] * Count;
}

} // namespace zarvo::encoder
