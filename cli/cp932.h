// The boundary between the terminal's UTF-8 and the symbol data's code page 932 (Shift-JIS).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zarvo::cli {

// Text that cannot become CP932 data. what() is one line naming the character or byte at fault.
class TextError : public std::runtime_error {
  public:
    explicit TextError(const std::string& message) : std::runtime_error(message) {}
};

// Offset of the first byte that does not belong to well-formed UTF-8 (overlong forms, surrogates
// and code points above U+10FFFF are not), or std::string::npos when the text is well formed.
size_t FindInvalidUtf8(const std::string& text);

// The CP932 bytes of UTF-8 text, converted by glibc iconv "CP932" (which also maps the usual
// Windows characters such as U+FF5E and circled digits). Throws TextError for malformed UTF-8 and
// for the first character that CP932 cannot hold.
std::string Utf8ToCp932(const std::string& text);

} // namespace zarvo::cli
