// "Zarvo.dat" from any bytes: a list or a StreamError, never a crash, a hang or a read past the
// end (libFuzzer hands the input over as a heap block of exactly its size, which AddressSanitizer
// guards). The memory the reader takes is bounded by the input's size: each string in the list
// costs at least two input bytes (type and length), a std::string 32 bytes, and the vector's
// doublings at most twice its final capacity.
#include "datalist/objectstream.h"
#include "tests/fuzz/allocation_bound.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr size_t kBytesPerInputByte = 80;
constexpr size_t kFixedBytes = 64 * 1024; // messages, a short list's first capacity

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zarvo::datalist;
    std::vector<std::string> items;
    try {
        zarvo::fuzz::AllocationBound bound(kBytesPerInputByte * size + kFixedBytes);
        items = ReadComboBoxStream(data, size);
    } catch (const StreamError& e) {
        FUZZ_CHECK(std::string(e.what()).rfind("Zarvo.dat: ", 0) == 0);
        return 0;
    }

    // What was read is written back whole: the stream the close writes reads as the same list
    const std::vector<uint8_t> again = WriteComboBoxStream(items);
    FUZZ_CHECK(ReadComboBoxStream(again.data(), again.size()) == items);
    return 0;
}
