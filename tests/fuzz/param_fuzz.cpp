// The settings store on any file: Load, then every typed read of every key the file holds (and
// the main window's own). A read returns or throws the store's documented errors; a value that
// reads is written back and read again the same; Save and Load give back the lines loaded.
#include "param/param.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdint>
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

void ReadEveryWay(const TParameter& p, const std::string& name) {
    try {
        const std::string value = p.ReadString(name);
        FUZZ_CHECK(!HoldsLineBreak(value));
        TParameter copy = p;
        copy.WriteString(name, value);
        FUZZ_CHECK(copy.ReadString(name) == value);
    } catch (const EValueName&) {
    }
    try {
        const int32_t value = p.ReadInteger(name);
        TParameter copy = p;
        copy.WriteInteger(name, value);
        FUZZ_CHECK(copy.ReadInteger(name) == value);
    } catch (const EValueName&) {
    } catch (const EConvertError&) {
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
