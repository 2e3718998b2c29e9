// The settings store on any file: Load, then every typed read of every key the file holds (and
// the main window's own). A read returns or throws the store's documented errors; a value that
// reads is written back and read again the same; an integer reads as the documented grammar says;
// Save and Load give back the lines loaded.
#include "param/param.h"
#include "tests/fuzz/fuzz_support.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zarvo::param;

// Reads are linear in the lines, so keys past this many stay unread: a file of thousands of keys
// would make every input quadratic without reaching new code.
constexpr int kMaxKeysRead = 64;

bool HoldsLineBreak(const std::string& s) {
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// The integer a value must read as, by the grammar the store documents: blanks (space, tab), an
// optional sign, then decimal digits within int32, or "$" / "0x" / "0X" and hex digits within 32
// bits taken as a bit pattern. Empty when the text is no integer.
std::optional<int32_t> ExpectedInteger(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos)
        return std::nullopt;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    int base = 10;
    if (text.compare(i, 1, "$") == 0) {
        base = 16;
        i += 1;
    } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    const std::string digits = text.substr(i);
    const char* const allowed = base == 10 ? "0123456789" : "0123456789abcdefABCDEF";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
        return std::nullopt;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE)
        return std::nullopt;
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const auto bits = static_cast<uint32_t>(negative ? 0ull - magnitude : magnitude);
        return static_cast<int32_t>(bits);
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull))
        return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<long long>(magnitude)
                                         : static_cast<long long>(magnitude));
}

void ReadEveryWay(const TParameter& p, const std::string& name) {
    try {
        const std::string value = p.ReadString(name);
        FUZZ_CHECK(!HoldsLineBreak(value));
        TParameter copy = p;
        copy.WriteString(name, value);
        FUZZ_CHECK(copy.ReadString(name) == value);
    } catch (const EValueName&) {
    }
    std::optional<int32_t> expected;
    try {
        expected = ExpectedInteger(p.ReadString(name));
    } catch (const EValueName&) {
    }
    try {
        const int32_t value = p.ReadInteger(name);
        FUZZ_CHECK(expected && *expected == value);
        TParameter copy = p;
        copy.WriteInteger(name, value);
        FUZZ_CHECK(copy.ReadInteger(name) == value);
    } catch (const EValueName&) {
    } catch (const EConvertError&) {
        FUZZ_CHECK(!expected);
    }
    try {
        const bool value = p.ReadBool(name);
        TParameter copy = p;
        copy.WriteBool(name, value);
        FUZZ_CHECK(copy.ReadBool(name) == value);
    } catch (const EValueName&) {
    }
    try {
        const TFontStyles value = p.ReadFontStyle(name);
        TParameter copy = p;
        copy.WriteFontStyle(name, value);
        FUZZ_CHECK(copy.ReadFontStyle(name) == value);
    } catch (const EValueName&) {
    }
}

void CheckRange(const TParameter& p, int32_t index) {
    try {
        p.Lines(index);
        FUZZ_CHECK(false);
    } catch (const ERangeError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = zarvo::fuzz::ScratchDir();
    zarvo::fuzz::WriteWholeFile(dir + "/zarvo.ini", std::string(reinterpret_cast<const char*>(data), size));

    TParameter p;
    p.SetDir(dir);
    p.SetFileName("zarvo.ini");
    p.Load();

    std::vector<std::string> lines;
    for (int32_t i = 0; i < p.Count(); ++i) {
        lines.push_back(p.Lines(i));
        FUZZ_CHECK(!HoldsLineBreak(lines.back()));
    }
    CheckRange(p, -1);
    CheckRange(p, p.Count());

    int keys = 0;
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        if (++keys > kMaxKeysRead)
            break;
        ReadEveryWay(p, line.substr(0, equals));
    }
    // "シンボル文字列", the current item, and a name no file holds
    for (const char* name : {"\x83\x56\x83\x93\x83\x7B\x83\x8B\x95\xB6\x8E\x9A\x97\xF1", "Left", ""})
        ReadEveryWay(p, name);

    p.Save();
    TParameter again;
    again.SetDir(dir);
    again.SetFileName("zarvo.ini");
    again.Load();
    FUZZ_CHECK(again.Count() == p.Count());
    for (int32_t i = 0; i < p.Count(); ++i)
        FUZZ_CHECK(again.Lines(i) == lines[static_cast<size_t>(i)]);
    return 0;
}
