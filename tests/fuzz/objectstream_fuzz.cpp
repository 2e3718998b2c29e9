// "Zarvo.dat" from any bytes: a list or a StreamError, never a crash, a hang or a read past the
// end (libFuzzer hands the input over as a heap block of exactly its size, which AddressSanitizer
// guards). The memory the reader takes is bounded by the input's size: each string in the list
// costs at least two input bytes (type and length), a std::string 32 bytes, and the vector's
// doublings at most twice its final capacity.
// The same bytes also steer a writer of well-formed streams (properties of every type, nested
// lists and collections, child objects, "Items.Strings" in any place): the reader must find
// exactly the strings written, so a value it skips by the wrong length cannot go unseen.
#include "datalist/objectstream.h"
#include "tests/fuzz/allocation_bound.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr size_t kBytesPerInputByte = 80;
constexpr size_t kFixedBytes = 64 * 1024; // messages, a short list's first capacity

// The input read front to back; zeros once it is used up.
class Source {
  public:
    Source(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool Done() const { return pos_ >= size_; }
    std::string Bytes(size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i)
            s += static_cast<char>(Byte());
        return s;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Writes a well-formed stream as the format describes it, chosen by the source.
class Writer {
  public:
    explicit Writer(Source& source) : in_(source) {}

    std::vector<uint8_t> Stream(std::vector<std::string>& items) {
        Raw("TPF0");
        Object(0, &items);
        return out_;
    }

  private:
    void Put(uint8_t b) { out_.push_back(b); }
    void Raw(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
    void U32(uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            Put(static_cast<uint8_t>(v >> shift));
    }
    void Short(const std::string& s) {
        Put(static_cast<uint8_t>(s.size()));
        Raw(s);
    }
    std::string Name() {
        // Never empty: a zero length byte would end the property list
        static const char* const kNames[] = {"Left", "Text", "Items.Strings", "ITEMS.STRINGS", "Items"};
        return kNames[in_.Byte() % 5];
    }

    void Object(int depth, std::vector<std::string>* items) {
        const uint8_t flags = in_.Byte();
        if (flags >= 0xF0) {
            Put(flags);
            if (flags & 2) { // the child position, an integer
                Put(2);
                Put(in_.Byte());
            }
        }
        Short("TComboBox");
        Short(depth == 0 ? "ComboBox1" : "Child");
        Properties(depth, items);
        for (int children = depth < 2 ? in_.Byte() % 3 : 0; children > 0; --children)
            Object(depth + 1, nullptr);
        Put(0);
    }

    // Property pairs up to the zero byte; "Items.Strings" of the root object fills items.
    void Properties(int depth, std::vector<std::string>* items) {
        for (int n = in_.Byte() % 6; n > 0 && !in_.Done(); --n) {
            const std::string name = Name();
            Short(name);
            // The root's "Items.Strings" is always the list of strings; elsewhere it is any value
            if (items && name.size() == 13)
                Strings(*items);
            else
                Value(depth);
        }
        Put(0);
    }

    void Strings(std::vector<std::string>& items) {
        items.clear();
        Put(1);
        for (int n = in_.Byte() % 8; n > 0; --n) {
            const uint8_t kind = in_.Byte();
            const size_t length = kind % 2 ? in_.Byte() : in_.Byte() * 2u + 250;
            items.push_back(in_.Bytes(length));
            if (items.back().size() <= 255 && kind % 4 != 3) {
                Put(6);
                Short(items.back());
            } else {
                Put(12);
                U32(static_cast<uint32_t>(items.back().size()));
                Raw(items.back());
            }
        }
        Put(0);
    }

    void Value(int depth) {
        const uint8_t type = static_cast<uint8_t>(1 + in_.Byte() % 21);
        Put(type);
        switch (type) {
        case 1: // list
            for (int n = depth < 3 ? in_.Byte() % 4 : 0; n > 0; --n)
                Value(depth + 1);
            Put(0);
            return;
        case 2:
            Raw(in_.Bytes(1));
            return;
        case 3:
            Raw(in_.Bytes(2));
            return;
        case 4:
        case 15:
            Raw(in_.Bytes(4));
            return;
        case 5:
            Raw(in_.Bytes(10));
            return;
        case 16:
        case 17:
        case 19:
        case 21:
            Raw(in_.Bytes(8));
            return;
        case 6:
        case 7:
            Short(in_.Bytes(in_.Byte() % 8));
            return;
        case 8:
        case 9:
        case 13:
            return;
        case 10:
        case 12:
        case 20: {
            const uint8_t n = in_.Byte() % 16;
            U32(n);
            Raw(in_.Bytes(n));
            return;
        }
        case 18: {
            const uint8_t n = in_.Byte() % 8;
            U32(n);
            Raw(in_.Bytes(2u * n));
            return;
        }
        case 11:
            for (int n = in_.Byte() % 3; n > 0; --n)
                Short(in_.Byte() % 2 ? "fsBold" : "x");
            Put(0);
            return;
        default: // 14, collection: items of an optional order and a property list
            for (int n = depth < 3 ? in_.Byte() % 3 : 0; n > 0; --n) {
                if (in_.Byte() % 2) {
                    Put(2);
                    Put(in_.Byte());
                }
                Put(1);
                Properties(depth + 1, nullptr);
            }
            Put(0);
            return;
        }
    }

    Source& in_;
    std::vector<uint8_t> out_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zarvo::datalist;

    Source source(data, size);
    std::vector<std::string> written;
    const std::vector<uint8_t> stream = Writer(source).Stream(written);
    FUZZ_CHECK(ReadComboBoxStream(stream.data(), stream.size()) == written);

    std::vector<std::string> items;
    try {
        zarvo::fuzz::AllocationBound bound(kBytesPerInputByte * size + kFixedBytes);
        items = ReadComboBoxStream(data, size);
    } catch (const StreamError& e) {
        FUZZ_CHECK(std::string(e.what()).rfind("Zarvo.dat: ", 0) == 0);
        return 0;
    }

    // What was read is written back whole: the stream the close writes reads as the same list
    const std::vector<uint8_t> again = WriteComboBoxStream(items);
    FUZZ_CHECK(ReadComboBoxStream(again.data(), again.size()) == items);
    return 0;
}
