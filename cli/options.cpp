#include "options.h"

#include <algorithm>
#include <cctype>

#ifndef ZARVO_VERSION
#error "ZARVO_VERSION must be defined by the build"
#endif

namespace zarvo::cli {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// Plain decimal digits only: no sign, no spaces, no suffix. nullopt when it is not one.
std::optional<int32_t> ParseNumber(const std::string& s) {
    if (s.empty() || s.size() > 9 ||
        !std::all_of(s.begin(), s.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<int32_t>(std::stol(s));
}

int32_t NumberIn(const std::string& value, int32_t low, int32_t high, const std::string& what) {
    const auto n = ParseNumber(value);
    if (!n || *n < low || *n > high)
        throw UsageError(what + ", not " + Quoted(value));
    return *n;
}

// Index of value (case-insensitive) among names, or -1.
template <size_t N> int Choice(const std::string& value, const char* const (&names)[N]) {
    const std::string v = Lower(value);
    for (size_t i = 0; i < N; ++i)
        if (v == names[i])
            return static_cast<int>(i);
    return -1;
}

enum class Id { Help, Version, Symversion, Level, Mode, Mask, Count, Split, Size, Output, Type, Read };

struct OptionInfo {
    Id id;
    char shortName; // 0 when there is none
    const char* longName;
    bool takesValue;
};

// clang-format off
constexpr OptionInfo kOptions[] = {
    {Id::Help,       'h', "help",       false},
    {Id::Version,    'V', "version",    false},
    {Id::Symversion, 'v', "symversion", true},
    {Id::Level,      'l', "level",      true},
    {Id::Mode,       0,   "mode",       true},
    {Id::Mask,       0,   "mask",       true},
    {Id::Count,      0,   "count",      true},
    {Id::Split,      0,   "split",      true},
    {Id::Size,       's', "size",       true},
    {Id::Output,     'o', "output",     true},
    {Id::Type,       't', "type",       true},
    {Id::Read,       'r', "read-from",  true},
};
// clang-format on

void Apply(Id id, const std::string& value, Options& o) {
    switch (id) {
    case Id::Help:
        o.help = true;
        break;
    case Id::Version:
        o.version = true;
        break;
    case Id::Symversion:
        o.symversion = NumberIn(value, 0, 40, "the version must be 1..40, or 0 for the smallest that fits");
        break;
    case Id::Level: {
        static const char* const kNames[] = {"l", "m", "q", "h"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the level must be L, M, Q or H, not " + Quoted(value));
        o.level = i;
        break;
    }
    case Id::Mode: {
        static const char* const kNames[] = {"numeric", "alnum", "byte", "kanji", "auto", "alphanumeric"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the mode must be auto, numeric, alnum, byte or kanji, not " + Quoted(value));
        o.emode = i == 4 ? -1 : i == 5 ? encoder::kModeAlphanumeric : i;
        break;
    }
    case Id::Mask:
        o.mask = Lower(value) == "auto" ? -1 : NumberIn(value, 0, 7, "the mask must be auto or 0..7");
        break;
    case Id::Count:
        o.count = NumberIn(value, 1, encoder::kMaxPieces, "the count must be 1..1024");
        break;
    case Id::Split: {
        static const char* const kNames[] = {"single", "connect", "plus"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the split must be single, connect or plus, not " + Quoted(value));
        o.split = static_cast<encoder::TQRMode>(i);
        break;
    }
    case Id::Size:
        o.size = NumberIn(value, 1, 10, "the size must be 1..10 pixels per module");
        break;
    case Id::Output:
        if (value.empty())
            throw UsageError("the output file name is empty");
        o.output = value;
        break;
    case Id::Type: {
        static const char* const kNames[] = {"pbm", "utf8", "ascii", "utf-8"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the type must be PBM, UTF8 or ASCII, not " + Quoted(value));
        o.type = i == 0 ? OutputType::Pbm : i == 2 ? OutputType::Ascii : OutputType::Utf8;
        break;
    }
    case Id::Read:
        if (value.empty())
            throw UsageError("the input file name is empty");
        o.file = value;
        break;
    }
}

} // namespace

Options ParseArguments(const std::vector<std::string>& args) {
    Options o;
    std::vector<std::string> positional;
    bool readFile = false;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        // Find the option and the value glued to it ("--level=M", "-lM"), if any
        const OptionInfo* known = nullptr;
        std::optional<std::string> glued;
        if (arg[1] == '-') {
            const size_t eq = arg.find('=');
            const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            for (const auto& s : kOptions)
                if (name == s.longName)
                    known = &s;
            if (eq != std::string::npos)
                glued = arg.substr(eq + 1);
        } else {
            for (const auto& s : kOptions)
                if (s.shortName != 0 && arg[1] == s.shortName)
                    known = &s;
            if (known && arg.size() > 2) {
                if (!known->takesValue)
                    known = nullptr; // "-hV" and the like: flags do not cluster
                else
                    glued = arg.substr(2);
            }
        }
        if (!known)
            throw UsageError("unknown option " + Quoted(arg));
        const std::string shown =
            arg[1] == '-' ? "--" + std::string(known->longName) : std::string{'-', known->shortName};

        std::string value;
        if (known->takesValue) {
            if (glued) {
                value = *glued;
            } else {
                if (i + 1 >= args.size())
                    throw UsageError("the option " + shown + " needs a value");
                value = args[++i];
            }
        } else if (glued) {
            throw UsageError("the option " + shown + " takes no value");
        }

        Apply(known->id, value, o);
        if (o.help || o.version)
            return o;
        if (known->id == Id::Read)
            readFile = true;
    }

    if (positional.size() > 1)
        throw UsageError("more than one data argument (" + Quoted(positional[0]) + ", " +
                         Quoted(positional[1]) + "); quote text that holds spaces");
    if (positional.size() == 1 && readFile)
        throw UsageError("give the data either as TEXT or with -r FILE, not both");
    if (positional.size() == 1) {
        o.source = Source::Text;
        o.text = positional[0];
    } else if (readFile) {
        o.source = Source::File;
    }
    return o;
}

const char* UsageText() {
    return R"(Usage: zarvo-encode [OPTION]... [TEXT]
Encode TEXT (UTF-8, written as Shift-JIS), the bytes of a file, or standard input
as QR Code symbols.

  -r, --read-from=FILE  read the data from FILE as raw bytes
  -o, --output=FILE     write to FILE ("-": standard output, the default)
  -t, --type=TYPE       PBM (the "P1" module listing), UTF8 (half blocks for a
                        terminal) or ASCII; without it a .pbm file gets PBM, a .txt
                        file UTF8, standard output UTF8 on a terminal and PBM otherwise
  -s, --size=N          pixels per module in PBM, 1..10 (default 1)
  -v, --symversion=N    version 1..40, or 0 for the smallest that fits (default 0)
  -l, --level=L         error correction L, M, Q or H (default L)
      --mode=MODE       auto, numeric, alnum, byte or kanji (default auto)
      --mask=MASK       auto or 0..7 (default auto)
      --count=N         divide the data over N symbols, 1..1024 (default 1)
      --split=HOW       single, connect (structured append, 2..16 symbols) or
                        plus (independent symbols, 2..1024)
  -h, --help            show this help and exit
  -V, --version         show the version and exit

Exit status: 0 when every symbol was made, 1 when the data does not fit,
2 for a bad command line, unreadable input or an output that cannot be written.
)";
}

std::string VersionText() {
    return std::string(kProgramName) + " " + ZARVO_VERSION;
}

const char* ModeName(int32_t mode) {
    switch (mode) {
    case encoder::kModeNumeric:
        return "numeric";
    case encoder::kModeAlphanumeric:
        return "alphanumeric";
    case encoder::kModeByte:
        return "byte";
    case encoder::kModeKanji:
        return "kanji";
    default:
        return "automatic";
    }
}

} // namespace zarvo::cli
