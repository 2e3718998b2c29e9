#include "datalist/objectstream.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace zarvo::datalist {

namespace {

constexpr char kSignature[] = "TPF0";
constexpr char kClassName[] = "TComboBox";
constexpr char kObjectName[] = "ComboBox1";
constexpr char kItemsProperty[] = "Items.Strings";
constexpr int kMaxDepth = 32;

enum ValueType : uint8_t {
    vaNull = 0, // ends a list; never a value
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

constexpr uint8_t kChildPosFlag = 0x02;

// Reads the stream front to back; every read checks the bytes that remain first.
class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Offset() const { return pos_; }

    [[noreturn]] void Fail(const std::string& what, size_t offset) const {
        throw StreamError(what + " (offset " + std::to_string(offset) + ")");
    }

    uint8_t Peek(const char* inside) const {
        if (pos_ >= size_)
            Fail(std::string("the stream ends inside ") + inside, pos_);
        return data_[pos_];
    }

    uint8_t Byte(const char* inside) {
        const uint8_t b = Peek(inside);
        ++pos_;
        return b;
    }

    // Skips (or returns) count bytes of the item that started at start.
    const uint8_t* Bytes(uint64_t count, const char* inside, size_t start) {
        if (count > size_ - pos_)
            Fail(std::string("the stream ends inside ") + inside, start);
        const uint8_t* p = data_ + pos_;
        pos_ += static_cast<size_t>(count);
        return p;
    }

    uint32_t Length(const char* inside, size_t start) {
        const uint8_t* p = Bytes(4, inside, start);
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    }

    // A length byte and the bytes; errors name start, or the length byte when none is given.
    std::string ShortString(const char* inside, size_t start = SIZE_MAX) {
        if (start == SIZE_MAX)
            start = pos_;
        const uint8_t length = *Bytes(1, inside, start);
        const uint8_t* p = Bytes(length, inside, start);
        return std::string(reinterpret_cast<const char*>(p), length);
    }

    // A 4-byte length and the bytes, of the value whose type byte stands at start.
    std::string LongString(const char* inside, size_t start) {
        const uint32_t length = Length(inside, start);
        const uint8_t* p = Bytes(length, inside, start);
        return std::string(reinterpret_cast<const char*>(p), length);
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool SameName(const std::string& name, const char* wanted) {
    // Property names are matched without regard to ASCII case, as the stream's own readers do
    const size_t n = std::strlen(wanted);
    if (name.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(name[i]) != lower(wanted[i]))
            return false;
    }
    return true;
}

void CheckDepth(const Reader& r, int depth, size_t start) {
    if (depth > kMaxDepth)
        r.Fail("lists or objects nested deeper than " + std::to_string(kMaxDepth) + " levels", start);
}

void SkipValue(Reader& r, int depth);

// A property name and its value, up to the zero byte that ends the list.
void SkipProperties(Reader& r, int depth) {
    while (r.Peek("a property list") != vaNull) {
        r.ShortString("a property name");
        SkipValue(r, depth);
    }
    r.Byte("a property list");
}

void SkipValue(Reader& r, int depth) {
    const size_t start = r.Offset();
    const uint8_t type = r.Byte("a value");
    switch (type) {
    case vaList:
        CheckDepth(r, depth + 1, start);
        while (r.Peek("a list") != vaNull)
            SkipValue(r, depth + 1);
        r.Byte("a list");
        return;
    case vaInt8:
        r.Bytes(1, "an integer", start);
        return;
    case vaInt16:
        r.Bytes(2, "an integer", start);
        return;
    case vaInt32:
    case vaSingle:
        r.Bytes(4, "a number", start);
        return;
    case vaExtended:
        r.Bytes(10, "a number", start);
        return;
    case vaCurrency:
    case vaDate:
    case vaInt64:
    case vaDouble:
        r.Bytes(8, "a number", start);
        return;
    case vaString:
    case vaIdent:
        r.ShortString("a string", start);
        return;
    case vaFalse:
    case vaTrue:
    case vaNil:
        return;
    case vaBinary:
        r.Bytes(r.Length("a binary value", start), "a binary value", start);
        return;
    case vaLString:
    case vaUTF8String:
        r.Bytes(r.Length("a string", start), "a string", start);
        return;
    case vaWString:
        r.Bytes(uint64_t{r.Length("a string", start)} * 2, "a string", start);
        return;
    case vaSet:
        while (r.Peek("a set") != 0)
            r.ShortString("a set");
        r.Byte("a set");
        return;
    case vaCollection:
        CheckDepth(r, depth + 1, start);
        while (r.Peek("a collection") != vaNull) {
            const size_t item = r.Offset();
            const uint8_t next = r.Peek("a collection");
            if (next == vaInt8 || next == vaInt16 || next == vaInt32) // the item's order
                SkipValue(r, depth + 1);
            if (r.Byte("a collection") != vaList)
                r.Fail("a collection item that is not a property list", item);
            SkipProperties(r, depth + 1);
        }
        r.Byte("a collection");
        return;
    default:
        r.Fail("unknown value type " + std::to_string(type), start);
    }
}

std::vector<std::string> ReadItems(Reader& r) {
    const size_t start = r.Offset();
    const uint8_t type = r.Byte("a value");
    if (type != vaList)
        r.Fail("\"Items.Strings\" is not a list but a value of type " + std::to_string(type), start);
    std::vector<std::string> items;
    while (r.Peek("a list") != vaNull) {
        const size_t at = r.Offset();
        const uint8_t itemType = r.Byte("a list");
        switch (itemType) {
        case vaString:
            items.push_back(r.ShortString("a string", at));
            break;
        case vaLString:
            items.push_back(r.LongString("a string", at));
            break;
        case vaWString:
        case vaUTF8String:
            r.Fail("\"Items.Strings\" holds a Unicode string, which cannot be kept as Shift-JIS bytes "
                   "without conversion; only byte strings are read",
                   at);
        default:
            r.Fail("\"Items.Strings\" holds a value of type " + std::to_string(itemType) +
                       " that is not a string",
                   at);
        }
    }
    r.Byte("a list");
    return items;
}

// One object: its header, properties and children. items receives "Items.Strings" (root only).
void ReadObject(Reader& r, int depth, std::vector<std::string>* items) {
    const size_t start = r.Offset();
    CheckDepth(r, depth, start);
    const uint8_t prefix = r.Peek("an object header");
    if ((prefix & 0xF0) == 0xF0) {
        r.Byte("an object header");
        if (prefix & kChildPosFlag) {
            const size_t at = r.Offset();
            const uint8_t type = r.Peek("an object header");
            if (type != vaInt8 && type != vaInt16 && type != vaInt32)
                r.Fail("the child position of an object is not an integer", at);
            SkipValue(r, depth);
        }
    }
    r.ShortString("an object header"); // class name
    r.ShortString("an object header"); // object name
    while (r.Peek("a property list") != vaNull) {
        const std::string name = r.ShortString("a property name");
        if (items && SameName(name, kItemsProperty))
            *items = ReadItems(r);
        else
            SkipValue(r, depth);
    }
    r.Byte("a property list");
    while (r.Peek("a child list") != vaNull)
        ReadObject(r, depth + 1, nullptr);
    r.Byte("a child list");
}

void PutShortString(std::vector<uint8_t>& out, const std::string& s) {
    out.push_back(static_cast<uint8_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

void PutString(std::vector<uint8_t>& out, const std::string& s) {
    if (s.size() <= 255) {
        out.push_back(vaString);
        PutShortString(out, s);
        return;
    }
    if (s.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("Zarvo.dat: a symbol string of 4 GiB or more cannot be stored");
    const auto n = static_cast<uint32_t>(s.size());
    out.push_back(vaLString);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(n >> shift));
    out.insert(out.end(), s.begin(), s.end());
}

} // namespace

std::vector<uint8_t> WriteComboBoxStream(const std::vector<std::string>& codes) {
    size_t size = 4 + 1 + sizeof kClassName + sizeof kObjectName + sizeof kItemsProperty + 3;
    for (const std::string& code : codes)
        size += code.size() + 5;
    std::vector<uint8_t> out(kSignature, kSignature + 4);
    out.reserve(size);
    PutShortString(out, kClassName);
    PutShortString(out, kObjectName);
    if (!codes.empty()) {
        PutShortString(out, kItemsProperty);
        out.push_back(vaList);
        for (const std::string& code : codes)
            PutString(out, code);
        out.push_back(vaNull);
    }
    out.push_back(vaNull); // end of the properties
    out.push_back(vaNull); // no child objects
    return out;
}

std::vector<std::string> ReadComboBoxStream(const uint8_t* data, size_t size) {
    if (size < 4 || std::memcmp(data, kSignature, 4) != 0)
        throw StreamError("not an object stream: the signature \"TPF0\" is missing");
    Reader r(data, size);
    r.Bytes(4, "the signature", 0);
    std::vector<std::string> items;
    ReadObject(r, 0, &items);
    return items;
}

} // namespace zarvo::datalist
