// "Zarvo.dat": the symbol strings as the binary object stream of the symbol list box.
//
// Layout (integers little-endian): "TPF0"; the object header, a class name and an object name as
// short strings (a length byte, then the bytes), optionally preceded by a filer-flags byte 0xF0..0xFF
// (flag 2: an integer value, the child position, follows); the property list, pairs of a short-string
// name and a typed value, ended by a zero byte; the child objects, ended by a zero byte. Data after
// that are ignored. The symbol strings are the list under "Items.Strings".
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::datalist {

// A stream that cannot be read. what() is one line in English, starting with "Zarvo.dat: " and
// giving the offset of the part that is wrong, e.g.
// "Zarvo.dat: the stream ends inside a string (offset 1234)".
class StreamError : public std::runtime_error {
  public:
    explicit StreamError(const std::string& message) : std::runtime_error("Zarvo.dat: " + message) {}
};

// The stream of a list box "ComboBox1" of class "TComboBox" holding codes in order: "Items.Strings"
// (absent when codes is empty) as a list of strings, each a short string (type 6) up to 255 bytes
// and a long string (type 12) beyond, then the ends of the property and child lists.
// Throws std::length_error for a string of 4 GiB or more.
std::vector<uint8_t> WriteComboBoxStream(const std::vector<std::string>& codes);

// The strings under "Items.Strings" of the stream's root object, in order; empty when the property
// is absent. Any class and object name are accepted; every other property is skipped by its type:
// 1 list, 2/3/4 8/16/32-bit integer, 5 extended (10 bytes), 6 short string, 7 identifier, 8 false,
// 9 true, 10 binary (4-byte length), 11 set, 12 long string, 13 nil, 14 collection, 15 single,
// 16 currency, 17 date, 18 wide string (4-byte count of UTF-16 units), 19 64-bit integer,
// 20 UTF-8 string (4-byte length), 21 double. Child objects are skipped the same way. Lists,
// collections and objects nest at most 32 deep.
// "Items.Strings" may hold short and long strings only: wide and UTF-8 strings cannot be kept as
// CP932 bytes without a conversion, so they are refused. If it appears twice, the last one counts.
// Throws StreamError for anything else that does not fit the layout, including a stream that ends
// early and lengths beyond its end, before anything is allocated for them.
std::vector<std::string> ReadComboBoxStream(const uint8_t* data, size_t size);

} // namespace zarvo::datalist
