// The command line of zarvo-encode on any arguments (the input cut at zero bytes): ParseArguments
// returns options whose every value is in range, or throws UsageError, nothing else. Options that
// parsed, written out again as one canonical command line, parse to the same options.
#include "cli/options.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace zarvo::cli;
using namespace zarvo;

std::vector<std::string> CutAtZeros(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    return args;
}

void CheckRanges(const Options& o) {
    FUZZ_CHECK(o.symversion >= 0 && o.symversion <= 40);
    FUZZ_CHECK(o.level >= 0 && o.level <= 3);
    FUZZ_CHECK(o.emode >= -1 && o.emode <= 3);
    FUZZ_CHECK(o.mask >= -1 && o.mask <= 7);
    FUZZ_CHECK(!o.count || (*o.count >= 1 && *o.count <= encoder::kMaxPieces));
    FUZZ_CHECK(!o.split || (*o.split >= encoder::qrSingle && *o.split <= encoder::qrPlus));
    FUZZ_CHECK(o.size >= 1 && o.size <= 10);
    FUZZ_CHECK(o.angle == 0 || o.angle == 90 || o.angle == 180 || o.angle == 270);
    FUZZ_CHECK(o.numbering >= component::nbrNone && o.numbering <= component::nbrIfVoid);
    FUZZ_CHECK(!o.column || (*o.column >= 1 && *o.column <= encoder::kMaxPieces));
    for (int32_t space : {o.spaces.up, o.spaces.down, o.spaces.left, o.spaces.right})
        FUZZ_CHECK(space >= 0 && space <= kMaxSpace);
    for (const auto& color : {o.foreground, o.background})
        FUZZ_CHECK(!color || (*color >= 0 && *color <= 0xFFFFFF));
    FUZZ_CHECK(!o.output.empty());
    FUZZ_CHECK(o.source != Source::File || !o.file.empty());
    FUZZ_CHECK(o.source == Source::Text || o.text.empty());
}

std::string Hex(component::TColor color) {
    // 0x00BBGGRR as RRGGBB
    const auto c = static_cast<uint32_t>(color);
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}

// One command line that asks for exactly o.
std::vector<std::string> Canonical(const Options& o) {
    static const char* const kModes[] = {"auto", "numeric", "alnum", "byte", "kanji"};
    static const char* const kSplits[] = {"single", "connect", "plus"};
    static const char* const kNumberings[] = {"none", "head", "tail", "ifvoid"};
    std::vector<std::string> a = {
        "--symversion=" + std::to_string(o.symversion),
        std::string("--level=") + "LMQH"[o.level],
        std::string("--mode=") + kModes[o.emode + 1],
        "--mask=" + (o.mask < 0 ? std::string("auto") : std::to_string(o.mask)),
        "-s" + std::to_string(o.size),
        "--angle=" + std::to_string(o.angle),
        "--comment-up=" + o.commentUp,
        "--comment-down",
        o.commentDown,
        std::string("--numbering=") + kNumberings[o.numbering],
        "--spaces=" + std::to_string(o.spaces.up) + "," + std::to_string(o.spaces.down) + "," +
            std::to_string(o.spaces.left) + "," + std::to_string(o.spaces.right),
        "-o",
        o.output,
    };
    if (o.binary)
        a.push_back("--binary");
    if (o.reverse)
        a.push_back("--reverse");
    if (o.count)
        a.push_back("--count=" + std::to_string(*o.count));
    if (o.split)
        a.push_back(std::string("--split=") + kSplits[*o.split]);
    if (o.column)
        a.push_back("--column=" + std::to_string(*o.column));
    if (o.foreground)
        a.push_back("--foreground=" + Hex(*o.foreground));
    if (o.background)
        a.push_back("--background=#" + Hex(*o.background));
    if (o.type)
        a.push_back(std::string("-t") + TypeName(*o.type));
    if (o.source == Source::File)
        a.push_back("--read-from=" + o.file);
    if (o.source == Source::Text) {
        a.push_back("--");
        a.push_back(o.text);
    }
    return a;
}

bool Same(const Options& x, const Options& y) {
    return x.help == y.help && x.version == y.version && x.source == y.source && x.text == y.text &&
           x.file == y.file && x.binary == y.binary && x.symversion == y.symversion && x.level == y.level &&
           x.emode == y.emode && x.mask == y.mask && x.count == y.count && x.split == y.split &&
           x.size == y.size && x.angle == y.angle && x.reverse == y.reverse && x.commentUp == y.commentUp &&
           x.commentDown == y.commentDown && x.numbering == y.numbering && x.column == y.column &&
           x.spaces == y.spaces && x.foreground == y.foreground && x.background == y.background &&
           x.output == y.output && x.type == y.type;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> args = size == 0 ? std::vector<std::string>() : CutAtZeros(data, size);
    Options o;
    try {
        o = ParseArguments(args);
    } catch (const UsageError& e) {
        FUZZ_CHECK(e.what()[0] != '\0');
        return 0;
    }
    if (o.help || o.version)
        return 0;
    CheckRanges(o);
    FUZZ_CHECK(Same(ParseArguments(Canonical(o)), o));
    return 0;
}
