#include "encoder/divide.h"

namespace zarvo::encoder {
namespace {

// Answers "is data[pos] the second byte of a double-byte character?" as code page 932 decides it:
// a non-zero byte preceded by a run of lead bytes of odd length. The division asks for positions
// in increasing order, so the run is carried forward and the whole data is read once, however
// long its runs of lead bytes.
class SecondByteScanner {
  public:
    explicit SecondByteScanner(const uint8_t* data) : data_(data) {}

    bool operator()(int32_t pos) {
        if (pos < next_) {
            // Rare: recount backwards from pos.
            int32_t run = 0;
            for (int32_t q = pos - 1; q >= 0 && IsLeadByte(data_[q]); --q)
                ++run;
            return data_[pos] != 0 && run % 2 == 1;
        }
        for (; next_ < pos; ++next_)
            run_ = IsLeadByte(data_[next_]) ? run_ + 1 : 0;
        return data_[pos] != 0 && run_ % 2 == 1;
    }

  private:
    const uint8_t* data_;
    int32_t next_ = 0; // run_ is the run of lead bytes ending just before next_
    int32_t run_ = 0;
};

} // namespace

EncodeError IllegalValue(const std::string& name, int32_t value) {
    return EncodeError("Illegal " + name + " : " + std::to_string(value));
}

void DividePieces(const uint8_t* data, int32_t len, int32_t& count, TQRMode& mode, int32_t* offsets) {
    if (len < count)
        count = len;
    count = count < 1 ? 1 : count > kMaxPieces ? kMaxPieces : count;

    // Piece size: the quotient, or one more when that still leaves bytes for the last piece.
    int64_t n = len / count;
    if (n * count < len && (n + 1) * (count - 1) < len)
        ++n;

    SecondByteScanner secondByte(data);
    offsets[0] = 0;
    int32_t i = 1;
    int64_t pos = n;
    while (i < count && pos < len) {
        const auto p = static_cast<int32_t>(pos);
        if (secondByte(p) && IsTrailByte(data[p])) {
            // Keep the character whole: move back, or forward when that would empty the piece.
            if (p - 1 > offsets[i - 1])
                --pos;
            else if (p + 1 >= len)
                break;
            else
                ++pos;
        }
        offsets[i] = static_cast<int32_t>(pos);
        ++i;
        pos += n;
    }
    offsets[i] = len;
    count = i;

    if (count == 1)
        mode = qrSingle;
    else if (count > 16)
        mode = qrPlus;
    else if (mode == qrSingle)
        mode = qrConnect;
}

void CheckPieces(const uint8_t* data, int32_t len, int32_t count, int32_t mode, int32_t column,
                 const int32_t* offsets, int32_t& parity) {
    auto offset = [](int32_t index) { return "Offset[" + std::to_string(index) + "]"; };
    if (len < 0)
        throw IllegalValue("Len", len);
    if (count < 1 || count > kMaxPieces)
        throw IllegalValue("Count", count);
    if (mode < qrSingle || mode > qrPlus)
        throw IllegalValue("Mode", mode);
    if (column < 1 || column > 1024)
        throw IllegalValue("Column", column);
    if (len == 0) {
        if (count != 1)
            throw IllegalValue("Count", count);
        if (mode != qrSingle)
            throw IllegalValue("Mode", mode);
        if (offsets[0] != 0)
            throw IllegalValue(offset(0), offsets[0]);
        if (offsets[1] != 0)
            throw IllegalValue(offset(1), offsets[1]);
    } else {
        if (len < count)
            throw IllegalValue("Count", count);
        if (mode == qrSingle && count != 1)
            throw IllegalValue("Count", count);
        if (mode == qrConnect && (count < 2 || count > 16))
            throw IllegalValue("Count", count);
        if (mode == qrPlus && (count < 2 || count > kMaxPieces))
            throw IllegalValue("Count", count);
        if (offsets[0] != 0)
            throw IllegalValue(offset(0), offsets[0]);
        if (offsets[count] != len)
            throw IllegalValue(offset(count), offsets[count]);
        for (int32_t s = 1; s <= count; ++s)
            if (offsets[s] <= offsets[s - 1])
                throw IllegalValue(offset(s), offsets[s]);
    }

    if (mode == qrConnect && len / count <= kMaxPieceBytes) {
        uint8_t x = 0;
        for (int32_t i = 0; i < len; ++i)
            x ^= data[i];
        parity = x;
    }
}

} // namespace zarvo::encoder
