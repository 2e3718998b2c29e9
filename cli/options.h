// The command line of zarvo-encode: what the user asked for, before anything is read or encoded.
#pragma once

#include "bitstream.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::cli {

inline constexpr char kProgramName[] = "zarvo-encode";

enum class OutputType { Pbm, Utf8, Ascii };

// Where the data comes from: the argument text, a file read as raw bytes, or standard input.
enum class Source { Text, File, StandardInput };

// Every value is already range-checked. Unset optionals leave the encoder's default in place.
struct Options {
    bool help = false;
    bool version = false;
    Source source = Source::StandardInput;
    std::string text; // Source::Text: the argument as given (UTF-8)
    std::string file; // Source::File

    int32_t symversion = 0;       // 1..40, or 0 for the smallest version at which every piece fits
    int32_t level = 0;            // 0..3 = L, M, Q, H
    int32_t emode = -1;           // -1 automatic, 0..3 numeric, alphanumeric, byte, kanji
    int32_t mask = -1;            // -1 automatic, 0..7
    std::optional<int32_t> count; // 1..1024
    std::optional<encoder::TQRMode> split;
    int32_t size = 1;               // 1..10 pixels per module (PBM)
    std::string output = "-";       // "-" is standard output
    std::optional<OutputType> type; // unset: decided by the output's name or terminal
};

// A command line that cannot be run. what() is one line without the program name.
class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Parses the arguments after the program name. Stops at -h or -V (later arguments are not looked
// at); throws UsageError for an unknown option, a missing or surplus value, a value out of range,
// or conflicting data sources.
Options ParseArguments(const std::vector<std::string>& args);

// The --help text, ending in a newline.
const char* UsageText();

// "zarvo-encode <version>".
std::string VersionText();

// Lower-case name of a segment mode 0..3 for messages: "numeric", "alphanumeric", "byte", "kanji".
const char* ModeName(int32_t mode);

} // namespace zarvo::cli
