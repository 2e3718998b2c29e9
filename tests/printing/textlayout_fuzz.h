// The text printer's layout on any text with any column: an entry point for a fuzzer (libFuzzer's
// LLVMFuzzerTestOneInput calls FuzzTextLayout), also run by the unit tests on random inputs. No Qt,
// no printer: the characters are measured by a FixedCanvas whose widths the input chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace printingtest {

// Lays out the text (input bytes 6 on) in columns of a width, height, numbering, tab width and
// character widths taken from the first six bytes, then draws every block, and checks: the layout
// ends; the blocks cover the text in order, or there are none; every piece ends at a character
// boundary of its line, keeps a CR LF only at its end, and is no wider than its column unless it
// is a single character; lines are drawn inside their block and numbered on. Returns what was
// wrong, or an empty string.
std::string CheckTextLayout(const uint8_t* data, size_t size);

// CheckTextLayout, aborting with its message when something was wrong. Returns 0.
int FuzzTextLayout(const uint8_t* data, size_t size);

} // namespace printingtest
