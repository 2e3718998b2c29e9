// Data segmentation and the bit stream of one symbol: structured-append header, segments with
// automatic or forced modes, terminator and pad codewords.
#pragma once

#include "encoder/tables.h"

#include <cstdint>

namespace zarvo::encoder {

// How the pieces of the data relate: one symbol, a structured-append set of 2..16, or 2..1024
// independent symbols. Held as a 32-bit value so that an out-of-range state can be detected.
enum TQRMode : int32_t { qrSingle = 0, qrConnect = 1, qrPlus = 2 };

// Writes bits most significant first into a codeword buffer of `capacity` bytes.
class BitWriter {
  public:
    // Starts at byte 0, bit 7 of buf, which holds `capacity` data codewords.
    BitWriter(uint8_t* buf, int32_t capacity) : buf_(buf), capacity_(capacity) {}

    // Appends the n (0..32) low bits of v. The caller has checked RemainingBits() >= n.
    void Append(int n, uint32_t v);

    // Bits still free in the data codewords.
    int32_t RemainingBits() const { return (capacity_ - bytePos_) * 8 - (7 - bitPos_); }

    int32_t BytePos() const { return bytePos_; }
    int BitPos() const { return bitPos_; }

  private:
    uint8_t* buf_;
    int32_t capacity_;
    int32_t bytePos_ = 0;
    int bitPos_ = 7;
};

// Class of the character at p with m bytes left: -1 when m <= 0, else 0 numeric, 1 alphanumeric,
// 2 8-bit byte, 3 kanji (a lead byte followed by a trail byte).
int Classify(const uint8_t* p, int32_t m);

// Bits of a segment of n bytes in `mode` (n counts bytes for kanji too), with the count-field
// widths of the symbol's version. Cost(mode, 0) is the price of opening a segment.
int32_t SegmentCost(int mode, int32_t n, const int32_t countWidths[4]);

struct Segment {
    int32_t length; // bytes
    int mode;
};

// The next segment of the greedy scanner at p with m bytes left. With m == 0 the length is 0 and
// the mode is `preset`.
Segment Scan(const uint8_t* p, int32_t m, const int32_t countWidths[4], int preset = -1);

// Everything the stream of one symbol depends on besides its bytes.
struct StreamSettings {
    const VersionRecord* record;
    int32_t level;      // 0..3
    TQRMode mode;       // the structured-append header is written for qrConnect
    int32_t pieceIndex; // 1-based position in the set
    int32_t count;      // symbols in the set
    int32_t parity;     // 0..255
};

// Fills out with the data codewords of the piece (out must hold the level's data codewords),
// segmenting automatically. Returns 0, and the mode of the last segment (-1 for an empty piece)
// in lastMode; -1 when a segment does not fit.
int EncodeAutomatic(const uint8_t* piece, int32_t len, const StreamSettings& s, uint8_t* out,
                    int32_t& lastMode);

// The whole piece as one segment of mode 0..3. Returns 0, or -1 when it does not fit or holds a
// byte the mode cannot carry (kanji: pairs 0x8140..0x9FFC and 0xE040..0xEBBF with a valid trail
// byte, and an even length).
int EncodeForced(const uint8_t* piece, int32_t len, int mode, const StreamSettings& s, uint8_t* out);

} // namespace zarvo::encoder
