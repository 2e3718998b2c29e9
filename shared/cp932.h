// The boundary between Unicode text (UTF-8, QString) and the symbol data's code page 932
// (Shift-JIS). Every crossing goes through these functions, which say where a conversion fails
// instead of replacing characters.
#pragma once

#include <QString>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace zarvo::shared {

// Text that cannot become CP932 data. what() is one line (UTF-8) naming the character or byte at
// fault.
class TextError : public std::runtime_error {
  public:
    explicit TextError(const std::string& message) : std::runtime_error(message) {}
};

// Offset of the first byte that does not belong to well-formed UTF-8 (overlong forms, surrogates
// and code points above U+10FFFF are not), or std::string::npos when the text is well formed.
size_t FindInvalidUtf8(const std::string& text);

// The CP932 bytes of UTF-8 text, converted by glibc iconv "CP932" (which also maps the usual
// Windows characters such as U+FF5E and circled digits). Throws TextError for malformed UTF-8
// ("the text is not valid UTF-8 (byte 0xFF at offset 2)") and for the first character that CP932
// cannot hold ("\"é\" (U+00E9) cannot be written in Shift-JIS (CP932)").
std::string Utf8ToCp932(const std::string& text);

// The CP932 bytes of a QString; throws TextError as Utf8ToCp932 does for the first character
// CP932 cannot hold. A lone surrogate counts as such a character.
std::string QStringToCp932(const QString& text);

// The text of CP932 bytes, for showing them. Bytes that do not decode (a lone lead byte, 0x80,
// 0xA0, 0xFD..0xFF, an unassigned double-byte code) become U+FFFD each; *ok (when given) is set
// to false when that happened, else true. Never throws for the data's sake.
QString Cp932ToQString(const std::string& bytes, bool* ok = nullptr);

} // namespace zarvo::shared
