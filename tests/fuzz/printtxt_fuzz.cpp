// The text printer's layout on any text with any column: the checks of the unit tests' random
// runs (tests/printing/textlayout_fuzz.h), steered by libFuzzer.
#include "tests/printing/textlayout_fuzz.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return printingtest::FuzzTextLayout(data, size);
}
