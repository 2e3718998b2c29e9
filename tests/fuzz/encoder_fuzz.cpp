// The encoder on any bytes with any settings in range, judged by zxing-cpp. The input's first
// seven bytes are the settings, the rest the data:
//   version 1 + b0 % 40, level b1 % 4, Emode b2 % 5 - 1, Masktype b3 % 9 - 1, Mode b4 % 3,
//   Count 1 + (b5 | b6 << 8) % 1024.
// The data is divided and the division checked as the component does it; then every piece until
// the first that fails is encoded (as many as a budget of modules allows). A piece either fails cleanly (too
// long, does not fit) or its symbol decodes to exactly the piece's bytes, with the structured-append header
// of its place in a chained set. In a forced numeric, alphanumeric, byte or kanji mode without a header, the
// table's capacity decides exactly whether the piece fits.
#define ZX_USE_UTF8 1 // the non-deprecated Result API; text() is not used

#include "encoder/encoder.h"
#include "tests/fuzz/fuzz_support.h"

#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using namespace zarvo::encoder;

constexpr size_t kSettingsBytes = 7;
// Modules encoded and decoded per input at most: 32 symbols of version 40, all 1024 up to version
// 3. A walk of 1024 large symbols would take seconds and pass for a hang.
constexpr int64_t kModuleBudget = 32 * 177 * 177;

// One pixel a module with the quiet zone, read as a pure symbol: the image is exactly a symbol, so
// zxing-cpp samples the modules without searching for finder patterns, which keeps a run of many
// large symbols fast.
ZXing::Result Decode(const SymbolEncoder& enc, std::vector<uint8_t>& image) {
    const int side = enc.Side();
    const int width = side + 8;
    image.assign(static_cast<size_t>(width * width), 255);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c)
            if (enc.Dark(r, c))
                image[static_cast<size_t>((r + 4) * width + c + 4)] = 0;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setIsPure(true);
    return ZXing::ReadBarcode({image.data(), width, width, ZXing::ImageFormat::Lum}, hints);
}

bool IsAlphanumeric(uint8_t b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || b == ' ' || b == '$' || b == '%' || b == '*' ||
           b == '+' || b == '-' || b == '.' || b == '/' || b == ':';
}

bool IsKanjiPair(uint8_t lead, uint8_t trail) {
    const bool leadOk =
        (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEA) || (lead == 0xEB && trail <= 0xBF);
    return leadOk && trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
}

// Whether a piece fits one symbol as a single segment of the forced mode, by the capacity table.
bool FitsForced(const SymbolEncoder& enc, const uint8_t* p, int32_t n) {
    const int32_t capacity = enc.Record().levels[enc.Eclevel].capacities[enc.Emode];
    switch (enc.Emode) {
    case kModeNumeric:
        for (int32_t i = 0; i < n; ++i)
            if (p[i] < '0' || p[i] > '9')
                return false;
        return n <= capacity;
    case kModeAlphanumeric:
        for (int32_t i = 0; i < n; ++i)
            if (!IsAlphanumeric(p[i]))
                return false;
        return n <= capacity;
    case kModeByte:
        return n <= capacity;
    default:
        if (n % 2 != 0)
            return false;
        for (int32_t i = 0; i < n; i += 2)
            if (!IsKanjiPair(p[i], p[i + 1]))
                return false;
        return n / 2 <= capacity;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size < kSettingsBytes || size - kSettingsBytes > 2 * kMaxPieceBytes)
        return 0;
    static SymbolEncoder enc; // its working storage is large; the settings are set anew below
    enc.Version = 1 + input[0] % kMaxVersion;
    enc.Eclevel = input[1] % 4;
    enc.Emode = input[2] % 5 - 1;
    enc.Masktype = input[3] % 9 - 1;
    enc.Mode = static_cast<TQRMode>(input[4] % 3);
    enc.Count = 1 + (input[5] | input[6] << 8) % kMaxPieces;
    enc.Column = 16;
    const uint8_t* data = input + kSettingsBytes;
    const auto len = static_cast<int32_t>(size - kSettingsBytes);

    // A division the encoder has just made must pass its own check
    enc.Divide(data, len);
    enc.CheckDivision(data, len);
    FUZZ_CHECK(enc.Count >= 1 && enc.Count <= kMaxPieces && (len == 0 || enc.Count <= len));
    FUZZ_CHECK(enc.PieceOffsets[0] == 0 && enc.PieceOffsets[static_cast<size_t>(enc.Count)] == len);
    int parity = 0;
    for (int32_t i = 0; i < len; ++i)
        parity ^= data[i];

    std::vector<uint8_t> image;
    const int64_t modules = int64_t{enc.Side()} * enc.Side();
    const auto walked = static_cast<int32_t>(std::min<int64_t>(enc.Count, kModuleBudget / modules));
    for (int32_t k = 1; k <= walked; ++k) {
        const int32_t from = enc.PieceOffsets[static_cast<size_t>(k - 1)];
        const int32_t n = enc.PieceOffsets[static_cast<size_t>(k)] - from;
        const PieceResult result = enc.EncodePiece(k, data, len);
        FUZZ_CHECK(result != PieceResult::BadPiece);
        FUZZ_CHECK((result == PieceResult::TooLong) == (n > kMaxPieceBytes));
        if (enc.Emode >= 0 && enc.Mode != qrConnect && result != PieceResult::TooLong)
            FUZZ_CHECK((result == PieceResult::Encoded) == FitsForced(enc, data + from, n));
        if (result != PieceResult::Encoded)
            break; // the walk stops at the first piece that fails, as the callers' does

        const ZXing::Result decoded = Decode(enc, image);
        FUZZ_CHECK(decoded.isValid());
        const std::vector<uint8_t>& bytes = decoded.bytes();
        FUZZ_CHECK(bytes == std::vector<uint8_t>(data + from, data + from + n));
        FUZZ_CHECK(!decoded.isMirrored());
        FUZZ_CHECK(decoded.ecLevel() == std::string(1, "LMQH"[enc.Eclevel]));
        if (enc.Mode == qrConnect) {
            FUZZ_CHECK(decoded.sequenceIndex() == k - 1);
            FUZZ_CHECK(decoded.sequenceSize() == enc.Count);
            FUZZ_CHECK(decoded.sequenceId() == std::to_string(parity));
        } else {
            FUZZ_CHECK(decoded.sequenceSize() == -1);
        }
    }
    return 0;
}
