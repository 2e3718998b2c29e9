// Division of the data over up to 1024 symbols and the check of the division.
#pragma once

#include "encoder/bitstream.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zarvo::encoder {

// A broken structure: an inconsistent division or setting. what() is the message shown to the
// user, "Illegal <name> : <value>".
class EncodeError : public std::runtime_error {
  public:
    explicit EncodeError(const std::string& message) : std::runtime_error(message) {}
};

// "Illegal " + name + " : " + value.
EncodeError IllegalValue(const std::string& name, int32_t value);

// Code page 932 lead bytes: 0x81..0x9F and 0xE0..0xFC.
constexpr bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Divides data[0..len) into count pieces: clamps count to 1..1024 and to len, moves a boundary
// that falls on the second byte of a double-byte character by one byte, and sets the final
// count and mode. offsets receives count + 1 entries (room for 1025).
void DividePieces(const uint8_t* data, int32_t len, int32_t& count, TQRMode& mode, int32_t* offsets);

// Throws IllegalValue for the first inconsistency of len, count, mode, column and the offsets;
// otherwise sets parity to the XOR of all bytes when the set is chained (qrConnect).
void CheckPieces(const uint8_t* data, int32_t len, int32_t count, int32_t mode, int32_t column,
                 const int32_t* offsets, int32_t& parity);

} // namespace zarvo::encoder
