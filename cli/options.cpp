#include "cli/options.h"

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

// Exactly six hexadecimal digits RRGGBB, "#" before them allowed; the colour value 0x00BBGGRR.
std::optional<component::TColor> ParseColor(const std::string& s) {
    const std::string hex = !s.empty() && s[0] == '#' ? s.substr(1) : s;
    if (hex.size() != 6 ||
        !std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
        return std::nullopt;
    const auto rgb = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    const uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return static_cast<component::TColor>(b << 16 | g << 8 | r);
}

// "N" (all four) or "UP,DOWN,LEFT,RIGHT".
Spaces ParseSpaces(const std::string& value) {
    const std::string what = "the spaces must be UP,DOWN,LEFT,RIGHT (or one for all four), each 0.." +
                             std::to_string(kMaxSpace) + " pixels";
    std::vector<int32_t> n;
    for (size_t start = 0;;) {
        const size_t comma = value.find(',', start);
        const std::string part =
            value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto v = ParseNumber(part);
        if (!v || *v > kMaxSpace)
            throw UsageError(what + ", not " + Quoted(value));
        n.push_back(*v);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (n.size() == 1)
        return {n[0], n[0], n[0], n[0]};
    if (n.size() != 4)
        throw UsageError(what + ", not " + Quoted(value));
    return {n[0], n[1], n[2], n[3]};
}

enum class Id {
    Help,
    Version,
    Symversion,
    Level,
    Mode,
    Mask,
    Count,
    Split,
    Size,
    Output,
    Type,
    Read,
    Binary,
    Angle,
    Reverse,
    CommentUp,
    CommentDown,
    Numbering,
    Column,
    Spaces,
    Foreground,
    Background,
};

struct OptionInfo {
    Id id;
    char shortName; // 0 when there is none
    const char* longName;
    bool takesValue;
};

// clang-format off
constexpr OptionInfo kOptions[] = {
    {Id::Help,       'h', "help",         false},
    {Id::Version,    'V', "version",      false},
    {Id::Symversion, 'v', "symversion",   true},
    {Id::Level,      'l', "level",        true},
    {Id::Mode,       0,   "mode",         true},
    {Id::Mask,       0,   "mask",         true},
    {Id::Count,      0,   "count",        true},
    {Id::Split,      0,   "split",        true},
    {Id::Size,       's', "size",         true},
    {Id::Output,     'o', "output",       true},
    {Id::Type,       't', "type",         true},
    {Id::Read,       'r', "read-from",    true},
    {Id::Binary,     0,   "binary",       false},
    {Id::Angle,      0,   "angle",        true},
    {Id::Reverse,    0,   "reverse",      false},
    {Id::CommentUp,  0,   "comment-up",   true},
    {Id::CommentDown,0,   "comment-down", true},
    {Id::Numbering,  0,   "numbering",    true},
    {Id::Column,     0,   "column",       true},
    {Id::Spaces,     0,   "spaces",       true},
    {Id::Foreground, 0,   "foreground",   true},
    {Id::Background, 0,   "background",   true},
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
        static const char* const kNames[] = {"pbm", "utf8", "ascii", "bmp",   "jpeg", "png",
                                             "svg", "emf",  "wmf",   "utf-8", "jpg"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the type must be PBM, UTF8, ASCII, BMP, JPEG, PNG, SVG, EMF or WMF, not " +
                             Quoted(value));
        o.type = i == 9 ? OutputType::Utf8 : i == 10 ? OutputType::Jpeg : static_cast<OutputType>(i);
        break;
    }
    case Id::Read:
        if (value.empty())
            throw UsageError("the input file name is empty");
        o.file = value;
        break;
    case Id::Binary:
        o.binary = true;
        break;
    case Id::Angle: {
        static const char* const kNames[] = {"0", "90", "180", "270"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the angle must be 0, 90, 180 or 270, not " + Quoted(value));
        o.angle = 90 * i;
        break;
    }
    case Id::Reverse:
        o.reverse = true;
        break;
    case Id::CommentUp:
        o.commentUp = value;
        break;
    case Id::CommentDown:
        o.commentDown = value;
        break;
    case Id::Numbering: {
        static const char* const kNames[] = {"none", "head", "tail", "ifvoid"};
        const int i = Choice(value, kNames);
        if (i < 0)
            throw UsageError("the numbering must be none, head, tail or ifvoid, not " + Quoted(value));
        o.numbering = static_cast<component::TNumbering>(i);
        break;
    }
    case Id::Column:
        o.column = NumberIn(value, 1, encoder::kMaxPieces, "the column count must be 1..1024");
        break;
    case Id::Spaces:
        o.spaces = ParseSpaces(value);
        break;
    case Id::Foreground:
    case Id::Background: {
        const auto color = ParseColor(value);
        if (!color)
            throw UsageError(std::string("the ") + (id == Id::Foreground ? "foreground" : "background") +
                             " colour must be six hexadecimal digits RRGGBB, not " + Quoted(value));
        (id == Id::Foreground ? o.foreground : o.background) = color;
        break;
    }
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
                        terminal), ASCII, or a picture: BMP, JPEG, PNG, SVG, EMF or
                        WMF; without it the output's extension decides (.pbm or none:
                        PBM, .txt: UTF8, .bmp .jpg .jpeg .png .svg .emf .wmf), and
                        standard output gets UTF8 on a terminal and PBM otherwise
  -s, --size=N          pixels per module, 1..10 (default 1)
  -v, --symversion=N    version 1..40, or 0 for the smallest that fits (default 0)
  -l, --level=L         error correction L, M, Q or H (default L)
      --mode=MODE       auto, numeric, alnum, byte or kanji (default auto)
      --mask=MASK       auto or 0..7 (default auto)
      --count=N         divide the data over N symbols, 1..1024 (default 1)
      --split=HOW       single, connect (structured append, 2..16 symbols) or
                        plus (independent symbols, 2..1024)
      --binary          the data is written in the tilde notation: ~0D0A~ for the
                        bytes 0D 0A, ~~ for a tilde

Pictures only (the text types ignore these):
      --angle=DEG       turn the picture clockwise by 0, 90, 180 or 270 degrees
      --reverse         mirror the picture left to right (after turning)
      --comment-up=TEXT, --comment-down=TEXT
                        a comment above / below each symbol, centred; give it room
                        with --spaces
      --numbering=HOW   none (default), head, tail or ifvoid: how the symbol's number
                        joins the comments when there are several symbols
      --column=N        symbols per row, 1..1024 (default 16)
      --spaces=U,D,L,R  pixels around each symbol (above, below, left, right), or one
                        number for all four (default 0)
      --foreground=RRGGBB, --background=RRGGBB
                        colours of the dark modules and of the background
                        (default 000000 and FFFFFF)

  -h, --help            show this help and exit
  -V, --version         show the version and exit

Exit status: 0 when every symbol was made, 1 when the data does not fit or the
picture would be too large, 2 for a bad command line, unreadable input or an
output that cannot be written.
)";
}

std::string VersionText() {
    return std::string(kProgramName) + " " + ZARVO_VERSION;
}

bool IsImage(OutputType type) {
    return type != OutputType::Pbm && type != OutputType::Utf8 && type != OutputType::Ascii;
}

const char* TypeName(OutputType type) {
    static const char* const kNames[] = {"PBM", "UTF8", "ASCII", "BMP", "JPEG", "PNG", "SVG", "EMF", "WMF"};
    return kNames[static_cast<int>(type)];
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
