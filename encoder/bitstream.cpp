#include "encoder/bitstream.h"

#include <cassert>
#include <cstring>

namespace zarvo::encoder {

void BitWriter::Append(int n, uint32_t v) {
    assert(n >= 0 && n <= 32);
    // Fill the current byte as far as it goes, then the next ones.
    while (n > 0) {
        const int take = n < bitPos_ + 1 ? n : bitPos_ + 1;
        const uint32_t bits = static_cast<uint32_t>((uint64_t{v} >> (n - take)) & ((1u << take) - 1u));
        assert(bytePos_ < capacity_);
        buf_[bytePos_] = static_cast<uint8_t>(buf_[bytePos_] | (bits << (bitPos_ + 1 - take)));
        bitPos_ -= take;
        n -= take;
        if (bitPos_ < 0) {
            bitPos_ = 7;
            ++bytePos_;
        }
    }
}

namespace {

// A kanji segment stores a pair as 13 bits; pairs whose value does not fit (lead 0xEB with a
// trail byte above 0xBF) would come out of the symbol as another character.
bool IsKanjiPair(uint8_t lead, uint8_t trail) {
    const bool leadOk = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEB);
    return leadOk && IsTrailByte(trail) && !(lead == 0xEB && trail > 0xBF);
}

uint32_t KanjiValue(uint8_t lead, uint8_t trail) {
    const uint32_t base = lead <= 0x9F ? (lead - 0x81u) * 0xC0u : (lead - 0xC1u) * 0xC0u;
    return base + trail - 0x40u;
}

// Writes the payload of n bytes in mode; false when a byte cannot be carried.
bool WritePayload(BitWriter& w, const uint8_t* p, int32_t n, int mode) {
    switch (mode) {
    case kModeNumeric: {
        int32_t i = 0;
        for (; i < n; ++i)
            if (p[i] < '0' || p[i] > '9')
                return false;
        for (i = 0; i + 2 < n; i += 3)
            w.Append(10, (p[i] - 0x30u) * 100u + (p[i + 1] - 0x30u) * 10u + (p[i + 2] - 0x30u));
        if (n - i == 2)
            w.Append(7, (p[i] - 0x30u) * 10u + (p[i + 1] - 0x30u));
        else if (n - i == 1)
            w.Append(4, p[i] - 0x30u);
        return true;
    }
    case kModeAlphanumeric: {
        for (int32_t i = 0; i < n; ++i)
            if (p[i] >= 128 || kAlphanumericValue[p[i]] == 255)
                return false;
        int32_t i = 0;
        for (; i + 1 < n; i += 2)
            w.Append(11, kAlphanumericValue[p[i]] * 45u + kAlphanumericValue[p[i + 1]]);
        if (i < n)
            w.Append(6, kAlphanumericValue[p[i]]);
        return true;
    }
    case kModeByte:
        for (int32_t i = 0; i < n; ++i)
            w.Append(8, p[i]);
        return true;
    default: {
        if (n % 2 != 0)
            return false;
        for (int32_t i = 0; i < n; i += 2)
            if (!IsKanjiPair(p[i], p[i + 1]))
                return false;
        for (int32_t i = 0; i < n; i += 2)
            w.Append(13, KanjiValue(p[i], p[i + 1]));
        return true;
    }
    }
}

// Zeroes the data codewords and writes the structured-append header of a chained symbol.
BitWriter StartSymbol(const StreamSettings& s, uint8_t* out) {
    const int32_t capacity = s.record->levels[s.level].dataCodewords;
    std::memset(out, 0, static_cast<size_t>(capacity));
    BitWriter w(out, capacity);
    if (s.mode == qrConnect) {
        w.Append(4, 0x3);
        w.Append(4, static_cast<uint32_t>(s.pieceIndex - 1) & 0xFu);
        w.Append(4, static_cast<uint32_t>(s.count - 1) & 0xFu);
        w.Append(8, static_cast<uint32_t>(s.parity) & 0xFFu);
    }
    return w;
}

void WriteSegmentHeader(BitWriter& w, int mode, int32_t n, const int32_t* widths) {
    w.Append(4, kModeIndicator[static_cast<size_t>(mode)]);
    const int32_t count = mode == kModeKanji ? n / 2 : n;
    assert(count < (1 << widths[mode]));
    w.Append(widths[mode], static_cast<uint32_t>(count));
}

void Terminate(BitWriter& w) {
    int32_t r = w.RemainingBits();
    const int32_t terminator = r < 4 ? r : 4;
    w.Append(terminator, 0);
    r -= terminator;
    const int32_t fill = r % 8;
    w.Append(fill, 0);
    r -= fill;
    for (uint32_t pad = 0xEC; r >= 8; r -= 8, pad ^= 0xEC ^ 0x11)
        w.Append(8, pad);
}

} // namespace

int Classify(const uint8_t* p, int32_t m) {
    if (m <= 0)
        return -1;
    const int c = kByteClass[p[0]];
    if (c != kModeKanji)
        return c;
    if (m == 1)
        return kModeByte;
    return IsKanjiPair(p[0], p[1]) ? kModeKanji : kModeByte;
}

int32_t SegmentCost(int mode, int32_t n, const int32_t countWidths[4]) {
    const int32_t head = 4 + countWidths[mode];
    switch (mode) {
    case kModeNumeric:
        return head + 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0);
    case kModeAlphanumeric:
        return head + 11 * (n / 2) + (n % 2 ? 6 : 0);
    case kModeByte:
        return head + 8 * n;
    default:
        return head + 13 * (n / 2);
    }
}

Segment Scan(const uint8_t* p, int32_t m, const int32_t countWidths[4], int preset) {
    if (m == 0)
        return {0, preset};
    const int mode = Classify(p, m);
    int32_t length = 0;
    for (;;) {
        // Take the run of the segment's own class.
        while (m > 0 && Classify(p, m) == mode) {
            const int32_t step = mode == kModeKanji ? 2 : 1;
            p += step;
            m -= step;
            length += step;
        }
        if (m == 0)
            return {length, mode};
        const int next = Classify(p, m);
        if (mode == kModeKanji || next == kModeKanji)
            return {length, mode};
        int32_t k = 0;
        while (m > 0 && Classify(p, m) == next) {
            ++p;
            --m;
            ++k;
        }
        if (mode > next) {
            // A narrow run inside a wide segment pays off only if it saves more than reopening.
            int32_t split = SegmentCost(mode, length, countWidths) + SegmentCost(next, k, countWidths);
            if (m > 0 && Classify(p, m) == mode)
                split += SegmentCost(mode, 0, countWidths);
            if (split < SegmentCost(mode, length + k, countWidths))
                return {length, mode};
            length += k;
            continue;
        }
        const int32_t split = SegmentCost(mode, length, countWidths) + SegmentCost(next, k, countWidths);
        if (split < SegmentCost(next, length + k, countWidths))
            return {length, mode};
        return {length + k, next};
    }
}

int EncodeAutomatic(const uint8_t* piece, int32_t len, const StreamSettings& s, uint8_t* out,
                    int32_t& lastMode) {
    BitWriter w = StartSymbol(s, out);
    const int32_t* widths = s.record->countWidths;
    int last = -1;
    for (int32_t pos = 0;;) {
        const Segment seg = Scan(piece + pos, len - pos, widths, last);
        if (seg.length <= 0)
            break;
        if (SegmentCost(seg.mode, seg.length, widths) > w.RemainingBits())
            return -1;
        WriteSegmentHeader(w, seg.mode, seg.length, widths);
        if (!WritePayload(w, piece + pos, seg.length, seg.mode))
            return -1;
        pos += seg.length;
        last = seg.mode;
    }
    Terminate(w);
    lastMode = last;
    return 0;
}

int EncodeForced(const uint8_t* piece, int32_t len, int mode, const StreamSettings& s, uint8_t* out) {
    BitWriter w = StartSymbol(s, out);
    const int32_t* widths = s.record->countWidths;
    if (SegmentCost(mode, len, widths) > w.RemainingBits())
        return -1;
    if (mode == kModeKanji && len % 2 != 0)
        return -1;
    WriteSegmentHeader(w, mode, len, widths);
    if (!WritePayload(w, piece, len, mode))
        return -1;
    Terminate(w);
    return 0;
}

} // namespace zarvo::encoder
