// One run of the encoder over the data: the settings applied as the symbol component's property
// setters apply them, the division, the choice of version, and the symbols written out.
#pragma once

#include "cli/options.h"
#include "encoder/encoder.h"
#include "shared/filewrite.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace zarvo::cli {

// Stores the options into the encoder in the component's published order: Mode (qrSingle sets
// Count to 1, qrConnect clamps it into 2..16, qrPlus into 2..1024), Count, Version (unless 0),
// Emode and EmodeR, Eclevel, Masktype and MasktypeR. Options are already range-checked.
void ApplySettings(const Options& options, encoder::SymbolEncoder& enc);

// True when forced mode 0..3 can carry every byte of p[0..n): digits, the 45 alphanumeric
// characters, anything, or whole double-byte characters of the kanji ranges 0x8140..0x9FFC and
// 0xE040..0xEBBF.
bool ModeCanCarry(int32_t mode, const uint8_t* p, int32_t n);

// A short write to the output; error is the errno of the failed call.
using WriteError = shared::StreamWriteError;

class EncodeJob {
  public:
    // More than 1024 full symbols' worth of data is refused by Prepare(); a reader may stop at
    // kMaxData + 1 bytes.
    static constexpr int64_t kMaxData = int64_t{encoder::kMaxPieces} * encoder::kMaxPieceBytes;

    EncodeJob(const Options& options, std::string data);

    // Divides the data, checks the division and encodes every piece once, at the requested
    // version or, with version 0, at the smallest version where all pieces fit. Returns the
    // one-line reason (without the program name) when a piece cannot be made, else nullopt.
    std::optional<std::string> Prepare();

    // After a successful Prepare(): encodes the pieces again one at a time and writes each symbol
    // to out as soon as it is made, so memory stays small however long the output is. Only the
    // text types (PBM, UTF8, ASCII). Throws WriteError on the first failed write.
    void Write(OutputType type, std::FILE* out);

    const encoder::SymbolEncoder& Encoder() const { return *enc_; }

  private:
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(data_.data()); }
    int32_t Length() const { return static_cast<int32_t>(data_.size()); }
    int32_t PieceLength(int32_t k) const;
    // Why piece k failed with result r at the current version.
    std::string Explain(int32_t k, encoder::PieceResult r) const;
    // First piece (in order) that fails at the current version, 0 when all are encoded.
    int32_t FirstFailure(encoder::PieceResult& result);

    std::unique_ptr<encoder::SymbolEncoder> enc_; // about 100 KB of working storage
    std::string data_;
    int32_t symversion_;
    int32_t pxmag_;
    bool prepared_ = false;
};

} // namespace zarvo::cli
