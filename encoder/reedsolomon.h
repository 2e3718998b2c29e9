// Reed-Solomon error correction over GF(256)/0x11D and interleaving of the blocks.
#pragma once

#include "encoder/tables.h"

#include <cstdint>

namespace zarvo::encoder {

// Error-correction codewords of one block: k data codewords, n (a generator row of the table)
// error-correction codewords written to ec, highest-order coefficient first. reg holds
// kMaxBlockData bytes of scratch.
void BlockErrorCorrection(const uint8_t* data, int32_t k, int32_t n, uint8_t* ec, uint8_t* reg);

// Error correction of all blocks of the level, block after block, into ec.
void ComputeErrorCorrection(const LevelRecord& level, const uint8_t* data, uint8_t* ec, uint8_t* reg);

// The final codeword sequence (the version's total codewords): data codewords column by column
// over the blocks, then the error-correction codewords likewise.
void Interleave(const LevelRecord& level, const uint8_t* data, const uint8_t* ec, uint8_t* sequence);

} // namespace zarvo::encoder
