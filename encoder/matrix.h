// The module matrix of one symbol: function patterns, zig-zag placement, masks and their
// penalty, format and version information.
//
// The matrix is kept twice: as the documented byte per cell (bit 0 data, bit 1 dark, bit 2
// function), which consumers read, and as bit-packed rows, on which the eight trial masks and
// their penalties run a machine word at a time.
#pragma once

#include "encoder/tables.h"

#include <array>
#include <cstdint>

namespace zarvo::encoder {

inline constexpr uint8_t kCellData = 1;
inline constexpr uint8_t kCellDark = 2;
inline constexpr uint8_t kCellFunction = 4;

inline constexpr int kRowWords = 3; // 177 columns in 64-bit words; column c is bit c % 64 of word c / 64

using PackedRow = std::array<uint64_t, kRowWords>;

struct ModuleMatrix {
    std::array<uint8_t, kMaxSide * kMaxSide> cells{}; // row-major, row 0 at the top
    int32_t side = 21;
    // Bit-packed views of the used square; bits past `side` are always 0.
    std::array<PackedRow, kMaxSide> function{};     // function modules
    std::array<PackedRow, kMaxSide> functionDark{}; // dark function modules
    std::array<PackedRow, kMaxSide> data{};         // placed data bits
    std::array<PackedRow, kMaxSide> dark{};         // current colour of every module
    // Placement order of the data modules of version orderVersion, as row * 192 + column: the
    // zig-zag depends on the version alone, so it is walked once per version, not per symbol.
    std::array<uint16_t, kMaxCodewords * 8> order{};
    int32_t orderVersion = 0;

    uint8_t& Cell(int row, int col) { return cells[static_cast<size_t>(row * kMaxSide + col)]; }
    uint8_t Cell(int row, int col) const { return cells[static_cast<size_t>(row * kMaxSide + col)]; }
    bool Dark(int row, int col) const { return (Cell(row, col) & kCellDark) != 0; }
    bool DataBit(int row, int col) const { return (Cell(row, col) & kCellData) != 0; }
    bool Function(int row, int col) const { return (Cell(row, col) & kCellFunction) != 0; }
};

// Zeroes the matrix and sets every function module of the version: finders, separators,
// alignment patterns, timing, and the (still light) format, dark-module and version areas.
// Walks the placement order when the version changed.
void DrawFunctionPatterns(const VersionRecord& record, ModuleMatrix& m);

// Places the record's total codewords of `sequence` in the zig-zag order from the bottom-right
// corner. Cells after the last bit (the remainder bits) keep data bit 0.
void PlaceCodewords(const VersionRecord& record, const uint8_t* sequence, ModuleMatrix& m);

// Sets the packed dark rows to the data masked with mask t (0..7), function modules as drawn.
// The cell bytes are not touched; Penalty() reads the packed rows.
void MaskRows(int t, ModuleMatrix& m);

// MaskRows(t), then copies the dark bits into the cell bytes.
void ApplyMask(int t, ModuleMatrix& m);

// Penalty score of the packed dark rows: runs of five or more (N1), 2 x 2 blocks (N2), the
// finder-like 1:1:3:1:1 with one light module or the edge on each side (N3) and the dark balance
// (N4), in rows and columns.
int32_t Penalty(const ModuleMatrix& m);

// With masktype 0..7 applies it; with -1 tries all eight, applies the first of the lowest
// penalty and stores it in masktypeR. penalties, when given, receives the eight scores.
void ChooseAndApplyMask(int32_t masktype, int32_t& masktypeR, ModuleMatrix& m, int32_t* penalties = nullptr);

// 15-bit format word of level index 0..3 (L, M, Q, H) and mask 0..7, after the XOR with 0x5412.
int32_t FormatWord(int32_t level, int32_t mask);

// Sets the dark bits of the format word, the dark module and, from version 7, the version word.
void WriteFormatAndVersion(const VersionRecord& record, int32_t level, int32_t mask, ModuleMatrix& m);

} // namespace zarvo::encoder
