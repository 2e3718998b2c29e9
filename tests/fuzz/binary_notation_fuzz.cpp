// The tilde notation of the symbol component both ways. The first input byte chooses
// BinaryOperation for each half, the rest are the bytes.
// ParseCode (setting Code): any text gives data and never rewrites Code; malformed notation
// switches BinaryOperation off and takes the text as it is; only hexadecimal pairs set Binary.
// MakeCode (loading a data file): the bytes as Code, which set as Code again gives the same bytes,
// whatever BinaryOperation was before the load.
#include "component/qrcode.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

using zarvo::component::TQRCode;

bool IsBinaryByte(char c) {
    const auto b = static_cast<uint8_t>(c);
    return b <= 0x08 || b == 0x0B || b == 0x0C || (b >= 0x0E && b <= 0x1F);
}

bool HoldsBinaryByte(const std::string& s) {
    return std::any_of(s.begin(), s.end(), IsBinaryByte);
}

// The components live as long as the process: each holds the encoder's working storage, which
// AddressSanitizer maps and unmaps anew for every instance. Nothing carries over from one input to
// the next: Code is emptied first (an old malformed Code would switch BinaryOperation off again
// when it is set), then BinaryOperation and Code or the data are set anew.
TQRCode& Component(int which) {
    static TQRCode components[3];
    TQRCode& q = components[which];
    q.SetSymbolEnabled(false);
    q.SetCode(std::string());
    return q;
}

void ParseAnyText(const std::string& text, bool binaryOperation) {
    TQRCode& q = Component(0);
    q.SetBinaryOperation(binaryOperation);
    q.SetCode(text);
    FUZZ_CHECK(q.Code() == text);
    FUZZ_CHECK(static_cast<size_t>(q.Len()) == q.Data().size());
    if (!q.BinaryOperation()) {
        FUZZ_CHECK(q.Data() == text);
        FUZZ_CHECK(!q.Binary());
    } else {
        FUZZ_CHECK(binaryOperation);
        FUZZ_CHECK(q.Data().size() <= text.size());
        FUZZ_CHECK(!q.Binary() || HoldsBinaryByte(q.Data()));
    }
}

void LoadAndStoreAgain(const std::string& bytes, bool binaryOperation) {
    const std::string path = zarvo::fuzz::ScratchDir() + "/data.bin";
    zarvo::fuzz::WriteWholeFile(path, bytes);
    TQRCode& q = Component(1);
    q.SetBinaryOperation(binaryOperation);
    q.LoadDataFromFile(path);
    FUZZ_CHECK(q.Data() == bytes);
    FUZZ_CHECK(q.Binary() == HoldsBinaryByte(bytes));
    FUZZ_CHECK(!q.Binary() || q.BinaryOperation());

    // The window shows Code and stores what it shows
    const std::string code = q.Code();
    const bool after = q.BinaryOperation();
    q.SetCode(code);
    FUZZ_CHECK(q.Data() == bytes);
    FUZZ_CHECK(q.BinaryOperation() == after);

    TQRCode& fresh = Component(2);
    fresh.SetBinaryOperation(after);
    fresh.SetCode(code);
    FUZZ_CHECK(fresh.Data() == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    ParseAnyText(bytes, (data[0] & 1) != 0);
    LoadAndStoreAgain(bytes, (data[0] & 2) != 0);
    return 0;
}
