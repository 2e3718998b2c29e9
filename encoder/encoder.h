// The symbol encoder: one object holding the settings it reads, the division of the data into
// pieces, and all working storage at its largest size, so that encoding a piece never allocates.
//
// The settings are plain fields. Whoever owns the encoder (the symbol component, the command-line
// encoder) validates them before storing; the encoder only reads them. Not re-entrant: one walk
// over the pieces at a time per object.
#pragma once

#include "encoder/bitstream.h"
#include "encoder/divide.h"
#include "encoder/matrix.h"
#include "encoder/tables.h"

#include <array>
#include <cstdint>

namespace zarvo::encoder {

// What became of one piece of a walk.
enum class PieceResult {
    Encoded,  // the module matrix holds the finished symbol
    TooLong,  // longer than 7089 bytes: not attempted
    NotFit,   // does not fit Version/Eclevel, or the forced mode cannot carry the bytes
    BadPiece, // the piece's offsets do not lie inside the data (a stale division)
};

class SymbolEncoder {
  public:
    // Builds the version table; every setting at its default.
    SymbolEncoder();

    // ---- Settings read by the encoder (validated by the owner) ----
    int32_t Version = 1;   // 1..40
    int32_t Eclevel = 0;   // 0 L, 1 M, 2 Q, 3 H
    int32_t Emode = -1;    // -1 automatic, 0..3 forced mode
    int32_t Masktype = -1; // -1 automatic, 0..7 fixed mask
    TQRMode Mode = qrSingle;
    int32_t Count = 1;   // 1..1024 pieces requested; the division may lower it
    int32_t Column = 16; // symbols per layout row; only range-checked here

    // ---- Results ----
    int32_t EmodeR = -1;      // mode of the last segment of the last piece (automatic), else Emode
    int32_t MasktypeR = -1;   // mask of the last piece encoded (automatic), else Masktype
    int32_t Parity = 0;       // XOR of all data bytes of a chained set
    int32_t CurrentPiece = 1; // 1-based index of the piece being encoded
    std::array<int32_t, kMaxPieces + 1> PieceOffsets{}; // piece k is [offset[k-1], offset[k])

    // Splits data[0..len) into Count pieces without cutting a double-byte character; adjusts
    // Count (1..1024, at most len) and Mode (qrSingle for 1 piece, qrPlus above 16, qrSingle with
    // 2..16 pieces becomes qrConnect).
    void Divide(const uint8_t* data, int32_t len);

    // Verifies the division and settings; throws EncodeError("Illegal <name> : <value>") on the
    // first inconsistency. Sets Parity for a chained set.
    void CheckDivision(const uint8_t* data, int32_t len);

    // Encodes piece k (1..Count) of data[0..len) by the current PieceOffsets: sets CurrentPiece,
    // copies the piece into the piece buffer and runs EncodeOne(). Offsets outside 0..len or
    // decreasing give BadPiece without reading the data.
    PieceResult EncodePiece(int32_t k, const uint8_t* data, int32_t len);

    // Copies len (0..7089) bytes into the piece buffer.
    void SetPiece(const uint8_t* bytes, int32_t len);

    // Encodes the piece buffer into the module matrix: data codewords, error correction,
    // interleaving, function patterns, placement, mask, format and version information.
    // Returns false when the piece does not fit or the forced mode cannot carry it; the matrix is
    // then untouched. Allocates nothing.
    bool EncodeOne();

    // Characters one symbol holds at Version/Eclevel in mode EmodeR (alphanumeric when EmodeR is
    // -1), times Count.
    int32_t Capacity() const;

    // Modules per side of the current Version: 21..177.
    int32_t Side() const { return table_[static_cast<size_t>(Version)].side; }

    // The finished symbol of the last piece encoded, row 0 at the top, 0 <= row, col < Side().
    bool Dark(int row, int col) const { return matrix_.Dark(row, col); }
    const ModuleMatrix& Matrix() const { return matrix_; }
    ModuleMatrix& Matrix() { return matrix_; }

    const VersionTable& Table() const { return table_; }
    const VersionRecord& Record() const { return table_[static_cast<size_t>(Version)]; }

    // Working storage, readable for tests and diagnostics.
    const uint8_t* Piece() const { return piece_.data(); }
    int32_t PieceLength() const { return pieceLength_; }
    const uint8_t* DataCodewords() const { return data_.data(); }
    const uint8_t* EcCodewords() const { return ec_.data(); }
    const uint8_t* Sequence() const { return sequence_.data(); }

  private:
    VersionTable table_;
    std::array<uint8_t, kMaxPieceBytes> piece_{};
    int32_t pieceLength_ = 0;
    std::array<uint8_t, kMaxDataCodewords> data_{};
    std::array<uint8_t, kMaxEcCodewords> ec_{};
    std::array<uint8_t, kMaxCodewords> sequence_{};
    std::array<uint8_t, kMaxBlockData> register_{};
    ModuleMatrix matrix_;
};

} // namespace zarvo::encoder
