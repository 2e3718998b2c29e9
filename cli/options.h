// The command line of zarvo-encode: what the user asked for, before anything is read or encoded.
#pragma once

#include "component/qrcode.h"
#include "encoder/bitstream.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::cli {

inline constexpr char kProgramName[] = "zarvo-encode";

// The text forms (the "P1" listing, terminal drawings) and the picture files of the component.
enum class OutputType { Pbm, Utf8, Ascii, Bmp, Jpeg, Png, Svg, Emf, Wmf };

// True for the picture types, which the symbol component draws.
bool IsImage(OutputType type);

// Where the data comes from: the argument text, a file read as raw bytes, or standard input.
enum class Source { Text, File, StandardInput };

// The margins around each symbol area in pixels (the component's SymbolSpaceUp .. Right).
struct Spaces {
    int32_t up = 0, down = 0, left = 0, right = 0;
    bool operator==(const Spaces& o) const {
        return up == o.up && down == o.down && left == o.left && right == o.right;
    }
};

// Every value is already range-checked. Unset optionals leave the component's default in place.
struct Options {
    bool help = false;
    bool version = false;
    Source source = Source::StandardInput;
    std::string text; // Source::Text: the argument as given (UTF-8)
    std::string file; // Source::File

    bool binary = false;          // the data is written in the tilde notation (~0D0A~, ~~)
    int32_t symversion = 0;       // 1..40, or 0 for the smallest version at which every piece fits
    int32_t level = 0;            // 0..3 = L, M, Q, H
    int32_t emode = -1;           // -1 automatic, 0..3 numeric, alphanumeric, byte, kanji
    int32_t mask = -1;            // -1 automatic, 0..7
    std::optional<int32_t> count; // 1..1024
    std::optional<encoder::TQRMode> split;
    int32_t size = 1; // 1..10 pixels per module

    // Pictures only; the text forms ignore them as the PBM listing does
    int32_t angle = 0;                  // 0, 90, 180 or 270, clockwise
    bool reverse = false;               // mirror left to right (after turning)
    std::string commentUp, commentDown; // UTF-8 as given
    component::TNumbering numbering = component::nbrNone;
    std::optional<int32_t> column;                           // 1..1024 symbols per row
    Spaces spaces;                                           // 0..kMaxSpace each
    std::optional<component::TColor> foreground, background; // 0x00BBGGRR

    std::string output = "-";       // "-" is standard output
    std::optional<OutputType> type; // unset: decided by the output's name or terminal
};

// Largest margin --spaces takes, in pixels.
inline constexpr int32_t kMaxSpace = 10000;

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

// Upper-case name of an output type for messages: "PBM", "UTF8", ..., "PNG", "EMF".
const char* TypeName(OutputType type);

} // namespace zarvo::cli
