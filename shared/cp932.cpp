#include "shared/cp932.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace zarvo::shared {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is malformed.
size_t SequenceLength(const std::string& text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = at(i);
    size_t n;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0)
            low = 0xA0; // overlong
        if (b == 0xED)
            high = 0x9F; // surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0)
            low = 0x90; // overlong
        if (b == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (size_t k = 2; k < n; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return n;
}

// Code point of the well-formed sequence of n bytes at text[i].
uint32_t CodePoint(const std::string& text, size_t i, size_t n) {
    const auto at = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(text[k])); };
    static const uint32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint32_t cp = at(i) & kLeadMask[n];
    for (size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (at(i + k) & 0x3F);
    return cp;
}

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr): iconv's failure value
            throw TextError(std::string("cannot convert between Shift-JIS (CP932) and UTF-8: ") +
                            std::strerror(errno));
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    // The descriptor in its initial state.
    iconv_t Handle() const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

  private:
    iconv_t cd_;
};

// Opening a converter costs more than converting a comment: one per thread and direction.
Converter& ToCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

} // namespace

size_t FindInvalidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const size_t n = SequenceLength(text, i);
        if (n == 0)
            return i;
        i += n;
    }
    return std::string::npos;
}

std::string Utf8ToCp932(const std::string& text) {
    // iconv reports malformed input and unmappable characters alike; tell them apart first
    if (const size_t bad = FindInvalidUtf8(text); bad != std::string::npos) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X",
                      static_cast<unsigned>(static_cast<unsigned char>(text[bad])));
        throw TextError("the text is not valid UTF-8 (byte " + std::string(hex) + " at offset " +
                        std::to_string(bad) + ")");
    }

    const iconv_t cd = ToCp932().Handle();
    std::string in = text; // iconv wants a mutable input pointer
    // CP932 never needs more bytes than UTF-8 for the same character
    std::vector<char> out(in.size() + 1);
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        const int error = errno;
        const size_t at = static_cast<size_t>(inPtr - in.data());
        if (error != EILSEQ || at >= text.size())
            throw TextError(std::string("cannot convert the text to Shift-JIS (CP932): ") +
                            std::strerror(error));
        const size_t n = SequenceLength(text, at);
        const uint32_t cp = CodePoint(text, at, n);
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
        // Control characters would garble the message; show them by code alone
        const bool printable = cp >= 0xA0;
        throw TextError((printable ? "\"" + text.substr(at, n) + "\" (" + code + ")" : std::string(code)) +
                        " cannot be written in Shift-JIS (CP932)");
    }
    return std::string(out.data(), out.size() - outLeft);
}

std::string QStringToCp932(const QString& text) {
    // toUtf8() would quietly replace a lone surrogate; name it instead
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate()) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c.unicode()));
            throw TextError(std::string(code) + " cannot be written in Shift-JIS (CP932)");
        }
    }
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp932(std::string(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QString Cp932ToQString(const std::string& bytes, bool* ok) {
    // Comments and piece numbers are mostly ASCII, which CP932 keeps as it is (0x5C and 0x7E
    // included); they need no converter.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        if (ok)
            *ok = true;
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    const iconv_t cd = FromCp932().Handle();
    std::string in = bytes;
    std::string utf8;
    utf8.reserve(bytes.size() * 3 / 2 + 4);
    bool clean = true;
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        utf8.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // An undecodable byte: one replacement character. A lead byte with a proper trail byte
        // is an unassigned code and goes as one, so the trail byte is not shown as a letter.
        clean = false;
        const auto lead = static_cast<unsigned char>(inPtr[0]);
        const auto trail = inLeft > 1 ? static_cast<unsigned char>(inPtr[1]) : 0;
        const bool pair = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && inLeft > 1 &&
                          trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
        const size_t skip = pair ? 2 : 1;
        inPtr += skip;
        inLeft -= skip;
        utf8 += "\xEF\xBF\xBD"; // U+FFFD
    }
    if (ok)
        *ok = clean;
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace zarvo::shared
