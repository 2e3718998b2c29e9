#include "param/param.h"

#include "shared/filewrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace zarvo::param {

namespace {

// "は整数ではありません" (is not an integer)
const char kNotAnInteger[] =
    "\x82\xCD\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";

const char* const kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

unsigned char FoldAscii(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

// A value quoted in a message is cut after this many bytes: a message box takes minutes to lay out
// a value of megabytes (a damaged settings file), and the start of the value points at the line.
constexpr size_t kQuotedValueMax = 100;

std::string QuotedValue(const std::string& value) {
    if (value.size() <= kQuotedValueMax)
        return value;
    size_t end = 0;
    for (;;) {
        const size_t next =
            end + (IsLeadByte(static_cast<unsigned char>(value[end])) && end + 1 < value.size() ? 2 : 1);
        if (next > kQuotedValueMax)
            break;
        end = next;
    }
    return value.substr(0, end) + "...";
}

bool HoldsLineBreak(const std::string& s) {
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses the whole text or returns false; never wraps a decimal value.
bool ParseInteger(const std::string& text, int32_t& result) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    if (i < text.size() && text[i] == '$')
        i += 1;
    else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    else {
        // Decimal: the magnitude may reach 2^31 only when negative
        const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
        if (i == text.size())
            return false;
        uint64_t magnitude = 0;
        for (; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
            if (magnitude > limit)
                return false;
        }
        result = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                          : static_cast<int32_t>(magnitude);
        return true;
    }

    // Hexadecimal: a 32-bit pattern, so "$FFFFFFFF" is -1
    if (i == text.size())
        return false;
    uint64_t pattern = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
            return false;
        pattern = pattern << 4 | static_cast<uint64_t>(digit);
        if (pattern > 0xFFFFFFFFu)
            return false;
    }
    uint32_t bits = static_cast<uint32_t>(pattern);
    if (negative)
        bits = 0u - bits;
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    result = value;
    return true;
}

// CR, LF or CR LF end a line; a zero byte ends the text; a last line without an end counts
// unless it is empty.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    const size_t end = std::min(text.find('\0'), text.size());
    size_t i = 0;
    while (i < end) {
        const size_t start = i;
        while (i < end && text[i] != '\r' && text[i] != '\n')
            ++i;
        lines.emplace_back(text, start, i - start);
        if (i < end && text[i] == '\r')
            ++i;
        if (i < end && text[i] == '\n')
            ++i;
    }
    return lines;
}

// The whole file; false when it does not exist (nothing to load), ParamFileError when it can't be read.
bool ReadWholeFile(const std::string& fileName, std::string& contents) {
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        throw ParamFileError(fileName, errno);
    }
    std::string data;
    struct stat st {};
    if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        data.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    const int error = errno;
    std::fclose(f);
    if (failed)
        throw ParamFileError(fileName, error != 0 ? error : EIO);
    contents = std::move(data);
    return true;
}

std::string KeyName(const std::string& line, size_t equals) {
    return line.substr(0, equals);
}

} // namespace

ERangeError::ERangeError(int32_t index, int32_t low, int32_t high)
    : std::runtime_error(std::to_string(index) + " is not within the valid range of " + std::to_string(low) +
                         ".." + std::to_string(high)) {}

EConvertError::EConvertError(const std::string& text)
    : std::runtime_error("'" + QuotedValue(text) + "' " + kNotAnInteger), text_(text) {}

ParamFileError::ParamFileError(const std::string& fileName, int error)
    : std::runtime_error("cannot read \"" + fileName + "\": " + std::strerror(error)), error_(error) {}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (IsLeadByte(x) && i + 1 < a.size() && IsTrailByte(static_cast<unsigned char>(a[i + 1]))) {
            // A trail byte may look like an ASCII letter ("ア" is 83 41) but is never folded
            if (x != y || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (FoldAscii(x) != FoldAscii(y)) {
            return false;
        }
    }
    return true;
}

std::string ExtractDir(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    size_t end = slash;
    while (end > 0 && path[end - 1] == '/')
        --end;
    return end == 0 ? std::string("/") : path.substr(0, end);
}

std::string DefaultFileName(const std::string& exeName) {
    const size_t slash = exeName.rfind('/');
    std::string name = slash == std::string::npos ? exeName : exeName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name + ".ini";
}

int32_t TParameter::Add(const std::string& line) {
    lines_.push_back(line);
    return GetCount() - 1;
}

void TParameter::Open(const std::string& exeName) {
    if (exeName.empty())
        return;
    SetExeName(exeName);
    Load();
}

void TParameter::Insert(int32_t index, const std::string& line) {
    if (index < 0 || index > GetCount())
        throw ERangeError(index, 0, GetCount());
    lines_.insert(lines_.begin() + index, line);
}

void TParameter::Delete(int32_t index) {
    if (index < 0 || index >= GetCount())
        throw ERangeError(index, 0, GetCount() - 1);
    lines_.erase(lines_.begin() + index);
}

void TParameter::Load() {
    const std::string name = FullName();
    if (name.empty())
        return;
    std::string contents;
    if (ReadWholeFile(name, contents))
        lines_ = SplitLines(contents);
}

void TParameter::Save() {
    const std::string name = FullName();
    if (name.empty())
        return;
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    shared::WriteFileAtomically(name, text.data(), text.size());
}

const std::string& TParameter::Lines(int32_t index) const {
    if (index < 0 || index >= GetCount())
        throw ERangeError(index, 0, GetCount() - 1);
    return lines_[static_cast<size_t>(index)];
}

int32_t TParameter::Find(const std::string& name) const {
    // Only as many bytes of a line as the name has are looked at: a line of megabytes without "="
    // costs no more than a short one
    const size_t n = name.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (line.size() > n && line[n] == '=' && line.find('=') == n && SameName(KeyName(line, n), name))
            return static_cast<int32_t>(i);
    }
    return -1;
}

std::string TParameter::ReadString(const std::string& name) const {
    const int32_t index = Find(name);
    std::string value;
    if (index >= 0) {
        const std::string& line = lines_[static_cast<size_t>(index)];
        value = line.substr(line.find('=') + 1);
    }
    if (value.size() == 1 && value[0] == kEmptyValue)
        return std::string();
    if (value.empty())
        throw EValueName("Name '" + name + "' is not found in parameters.");
    return value;
}

int32_t TParameter::ReadInteger(const std::string& name) const {
    const std::string text = ReadString(name);
    int32_t value = 0;
    if (!ParseInteger(text, value))
        throw EConvertError(text);
    return value;
}

bool TParameter::ReadBool(const std::string& name) const {
    const std::string value = ReadString(name);
    if (value == "True")
        return true;
    if (value == "False")
        return false;
    throw EValueName("Value of " + name + " '" + QuotedValue(value) + "' is not Boolean Type.");
}

TFontStyles TParameter::ReadFontStyle(const std::string& name) const {
    const std::string value = ReadString(name);
    TFontStyles styles;
    bool* const flags[] = {&styles.Bold, &styles.Italic, &styles.Underline, &styles.StrikeOut};
    for (size_t i = 0; i < 4; ++i)
        *flags[i] = value.find(kStyleNames[i]) != std::string::npos;
    return styles;
}

void TParameter::WriteString(const std::string& name, const std::string& value) {
    // A line break would split the line on the next load, a zero byte would end the file there
    if (HoldsLineBreak(value))
        throw EValueText("The value of '" + name +
                         "' holds a line break or a zero byte and cannot be stored.");
    if (HoldsLineBreak(name) || name.find('=') != std::string::npos)
        throw EValueText("The name '" + name +
                         "' holds \"=\", a line break or a zero byte and cannot be stored.");

    const std::string line = name + "=" + (value.empty() ? std::string(1, kEmptyValue) : value);
    const int32_t index = Find(name);
    if (index >= 0)
        lines_[static_cast<size_t>(index)] = line;
    else
        lines_.push_back(line);
}

void TParameter::WriteInteger(const std::string& name, int32_t value) {
    WriteString(name, std::to_string(value));
}

void TParameter::WriteBool(const std::string& name, bool value) {
    WriteString(name, value ? "True" : "False");
}

void TParameter::WriteFontStyle(const std::string& name, TFontStyles value) {
    const bool flags[] = {value.Bold, value.Italic, value.Underline, value.StrikeOut};
    std::string text = "[";
    for (size_t i = 0; i < 4; ++i) {
        if (!flags[i])
            continue;
        if (text.size() > 1)
            text += ',';
        text += kStyleNames[i];
    }
    WriteString(name, text + "]");
}

void TParameter::SetDir(const std::string& dir) {
    dir_ = (dir.empty() && !exeName_.empty()) ? ExtractDir(exeName_) : dir;
}

void TParameter::SetFileName(const std::string& fileName) {
    fileName_ = (fileName.empty() && !exeName_.empty()) ? DefaultFileName(exeName_) : fileName;
}

void TParameter::SetExeName(const std::string& exeName) {
    exeName_ = exeName;
    if (exeName_.empty())
        return;
    if (dir_.empty())
        dir_ = ExtractDir(exeName_);
    if (fileName_.empty())
        fileName_ = DefaultFileName(exeName_);
}

std::string TParameter::FullName() const {
    if (dir_.empty() || fileName_.empty())
        return std::string();
    return dir_ + (dir_.back() == '/' ? "" : "/") + fileName_;
}

} // namespace zarvo::param
