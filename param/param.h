// The settings store: an ordered list of text lines kept in one file beside the program, with typed
// access to its name=value lines. Names and values are CP932 byte strings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::param {

// A key that is missing, has an empty value, or holds a value of the wrong kind.
// what(): "Name 'NAME' is not found in parameters." or "Value of NAME 'VALUE' is not Boolean Type."
// A VALUE (or TEXT below) of more than 100 bytes is quoted as its first 100 bytes (a double-byte
// character is not cut) and "...", so that a damaged file gives a message a message box can show.
class EValueName : public std::runtime_error {
  public:
    explicit EValueName(const std::string& message) : std::runtime_error(message) {}
};

// A line index outside low..high. what(): "INDEX is not within the valid range of LOW..HIGH".
class ERangeError : public std::runtime_error {
  public:
    ERangeError(int32_t index, int32_t low, int32_t high);
};

// A value that is not an integer. what(): "'TEXT' は整数ではありません" in CP932; Text(): the whole
// text.
class EConvertError : public std::runtime_error {
  public:
    explicit EConvertError(const std::string& text);
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// A name or value that the file could not hold as one line (CR, LF or a zero byte; "=" in a name).
// what() names the key.
class EValueText : public std::invalid_argument {
  public:
    explicit EValueText(const std::string& message) : std::invalid_argument(message) {}
};

// The settings file exists but could not be read. what(): `cannot read "NAME": REASON` (strerror).
class ParamFileError : public std::runtime_error {
  public:
    ParamFileError(const std::string& fileName, int error);
    int Error() const { return error_; }

  private:
    int error_;
};

struct TFontStyles {
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;

    bool operator==(const TFontStyles& o) const {
        return Bold == o.Bold && Italic == o.Italic && Underline == o.Underline && StrikeOut == o.StrikeOut;
    }
    bool operator!=(const TFontStyles& o) const { return !(*this == o); }
};

// Stands for the empty string in a value: a key line with nothing after "=" counts as missing.
inline constexpr char kEmptyValue = '\x1A';

// Lines are kept in load or insertion order. A line "name=value" is a key line (name: the text
// before the first "="); lines without "=" are kept and written back but never found as keys.
// Names match without regard to ASCII letter case; the second byte of a double-byte character is
// compared exactly. The first matching key line wins.
class TParameter {
  public:
    int32_t GetCount() const { return static_cast<int32_t>(lines_.size()); }
    int32_t Count() const { return GetCount(); }

    // Appends the line unchanged; returns its index.
    int32_t Add(const std::string& line);
    // With a non-empty program path: SetExeName(exeName), then Load(). Empty: does nothing.
    void Open(const std::string& exeName);
    void Clear() { lines_.clear(); }
    // Inserts before index, 0..Count; throws ERangeError(index, 0, Count) otherwise.
    void Insert(int32_t index, const std::string& line);
    // Removes the line at index, 0..Count-1; throws ERangeError(index, 0, Count - 1) otherwise.
    void Delete(int32_t index);

    // When FullName names an existing file, its lines replace the store's: CR, LF or CR LF end a
    // line, a zero byte ends the text. A missing file (or an empty FullName) keeps the lines.
    // Throws ParamFileError when the file cannot be read; the lines are then unchanged.
    void Load();
    // When FullName is not empty, writes every line followed by CR LF, replacing the file at once
    // (it holds either its old or its new contents). Throws shared::FileWriteError.
    void Save();

    // Throws ERangeError(index, 0, Count - 1) for a bad index.
    const std::string& Lines(int32_t index) const;

    // The value of the first key line with this name; the empty-value marker gives "".
    // Throws EValueName when there is no such key or its value is empty.
    std::string ReadString(const std::string& name) const;
    // Accepts leading spaces and tabs, an optional sign, then decimal digits within int32 or
    // "$", "0x" or "0X" and hex digits within 32 bits (taken as a bit pattern, e.g. $FFFFFFFF = -1).
    // Throws EValueName as ReadString, EConvertError for anything else (also a stored "").
    int32_t ReadInteger(const std::string& name) const;
    // "True" or "False", letter case counting; throws EValueName otherwise.
    bool ReadBool(const std::string& name) const;
    // Each of "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut" found anywhere in the value sets
    // its style; anything else in the value is ignored.
    TFontStyles ReadFontStyle(const std::string& name) const;

    // Replaces the first key line with this name by name=value in place (taking this call's
    // letter case for the name), or appends it. "" is stored as the empty-value marker.
    // Throws EValueText, the store unchanged, when the value holds CR, LF or a zero byte, or the
    // name holds those or "=": such a line would not read back as the same key and value.
    void WriteString(const std::string& name, const std::string& value);
    // Decimal text, "-" when negative.
    void WriteInteger(const std::string& name, int32_t value);
    // "True" or "False".
    void WriteBool(const std::string& name, bool value);
    // "[" + the set styles' names in the order bold, italic, underline, strike-out, joined by ","
    // + "]"; the empty set is "[]".
    void WriteFontStyle(const std::string& name, TFontStyles value);

    // Setting Dir or FileName to "" while ExeName is set restores the default taken from ExeName:
    // its directory part, or its file-name part with the extension replaced by ".ini".
    // Setting a non-empty ExeName fills Dir and FileName where they are empty.
    const std::string& Dir() const { return dir_; }
    void SetDir(const std::string& dir);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName);
    const std::string& ExeName() const { return exeName_; }
    void SetExeName(const std::string& exeName);
    // "" unless Dir and FileName are both set; else Dir + "/" (unless Dir ends in "/") + FileName.
    std::string FullName() const;

  private:
    // Index of the first key line named name, or -1.
    int32_t Find(const std::string& name) const;

    std::vector<std::string> lines_;
    std::string dir_;
    std::string fileName_;
    std::string exeName_;
};

// The directory part of a path: everything before the last "/", keeping the "/" only for the
// root ("/prog" -> "/", "/opt/zarvo/zarvo" -> "/opt/zarvo", "prog" -> ""). Repeated "/" before the
// name count as one ("/a//prog" -> "/a").
std::string ExtractDir(const std::string& path);

// The file name that goes with a program path: its file-name part with the extension (from the
// last "." of that part) replaced by ".ini" ("/opt/zarvo/zarvo" -> "zarvo.ini").
std::string DefaultFileName(const std::string& exeName);

// True when the names are equal ignoring ASCII letter case outside double-byte characters.
bool SameName(const std::string& a, const std::string& b);

} // namespace zarvo::param
