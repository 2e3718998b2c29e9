#include "cli/job.h"

#include "cli/render.h"

#include <algorithm>
#include <cerrno>

namespace zarvo::cli {

using encoder::PieceResult;

void ApplySettings(const Options& options, encoder::SymbolEncoder& enc) {
    if (options.split) {
        switch (*options.split) {
        case encoder::qrSingle:
            enc.Count = 1;
            break;
        case encoder::qrConnect:
            enc.Count = std::min(std::max(enc.Count, 2), 16);
            break;
        case encoder::qrPlus:
            enc.Count = std::min(std::max(enc.Count, 2), encoder::kMaxPieces);
            break;
        }
        enc.Mode = *options.split;
    }
    if (options.count)
        enc.Count = *options.count;
    if (options.symversion != 0)
        enc.Version = options.symversion;
    enc.Emode = options.emode;
    enc.EmodeR = options.emode;
    enc.Eclevel = options.level;
    enc.Masktype = options.mask;
    enc.MasktypeR = options.mask;
}

bool ModeCanCarry(int32_t mode, const uint8_t* p, int32_t n) {
    switch (mode) {
    case encoder::kModeNumeric:
        for (int32_t i = 0; i < n; ++i)
            if (p[i] < '0' || p[i] > '9')
                return false;
        return true;
    case encoder::kModeAlphanumeric:
        for (int32_t i = 0; i < n; ++i)
            if (p[i] >= 128 || encoder::kAlphanumericValue[p[i]] == 255)
                return false;
        return true;
    case encoder::kModeKanji:
        if (n % 2 != 0)
            return false;
        for (int32_t i = 0; i < n; i += 2) {
            const int v = p[i] << 8 | p[i + 1];
            if (!encoder::IsTrailByte(p[i + 1]) ||
                !((v >= 0x8140 && v <= 0x9FFC) || (v >= 0xE040 && v <= 0xEBBF)))
                return false;
        }
        return true;
    default:
        return true;
    }
}

EncodeJob::EncodeJob(const Options& options, std::string data)
    : enc_(std::make_unique<encoder::SymbolEncoder>()), data_(std::move(data)),
      symversion_(options.symversion), pxmag_(options.size) {
    ApplySettings(options, *enc_);
}

int32_t EncodeJob::PieceLength(int32_t k) const {
    return enc_->PieceOffsets[static_cast<size_t>(k)] - enc_->PieceOffsets[static_cast<size_t>(k - 1)];
}

std::string EncodeJob::Explain(int32_t k, PieceResult r) const {
    const int32_t length = PieceLength(k);
    const std::string piece = "piece " + std::to_string(k) + " of " + std::to_string(enc_->Count) + " (" +
                              std::to_string(length) + (length == 1 ? " byte)" : " bytes)");
    switch (r) {
    case PieceResult::TooLong:
        return piece + " is longer than one symbol can hold (" + std::to_string(encoder::kMaxPieceBytes) +
               " bytes)";
    case PieceResult::NotFit: {
        const uint8_t* p = Bytes() + enc_->PieceOffsets[static_cast<size_t>(k - 1)];
        if (enc_->Emode >= 0 && !ModeCanCarry(enc_->Emode, p, length))
            return piece + " cannot be encoded in " + ModeName(enc_->Emode) + " mode";
        return piece + " does not fit version " + std::to_string(enc_->Version) + "-" + "LMQH"[enc_->Eclevel];
    }
    case PieceResult::BadPiece:
        return "piece " + std::to_string(k) + " of " + std::to_string(enc_->Count) +
               " lies outside the data (an inconsistent division)";
    case PieceResult::Encoded:
        break;
    }
    return {};
}

int32_t EncodeJob::FirstFailure(PieceResult& result) {
    for (int32_t k = 1; k <= enc_->Count; ++k) {
        result = enc_->EncodePiece(k, Bytes(), Length());
        if (result != PieceResult::Encoded)
            return k;
    }
    return 0;
}

std::optional<std::string> EncodeJob::Prepare() {
    prepared_ = false;
    if (static_cast<int64_t>(data_.size()) > kMaxData)
        return "the data is longer than 1024 symbols can hold (" + std::to_string(kMaxData) + " bytes)";

    enc_->Divide(Bytes(), Length());
    try {
        enc_->CheckDivision(Bytes(), Length());
    } catch (const encoder::EncodeError& e) {
        return std::string(e.what());
    }

    PieceResult result = PieceResult::Encoded;
    if (symversion_ != 0) {
        if (const int32_t k = FirstFailure(result))
            return Explain(k, result);
        prepared_ = true;
        return std::nullopt;
    }

    // A piece that is too long or that the forced mode cannot carry fits no version at all
    for (int32_t k = 1; k <= enc_->Count; ++k) {
        const int32_t length = PieceLength(k);
        if (length > encoder::kMaxPieceBytes)
            return Explain(k, PieceResult::TooLong);
        const uint8_t* p = Bytes() + enc_->PieceOffsets[static_cast<size_t>(k - 1)];
        if (enc_->Emode >= 0 && !ModeCanCarry(enc_->Emode, p, length))
            return Explain(k, PieceResult::NotFit);
    }

    // The piece that failed at one version most likely fails at the next too: try it first
    int32_t hint = 1;
    for (int32_t v = encoder::kMinVersion; v <= encoder::kMaxVersion; ++v) {
        enc_->Version = v;
        if (enc_->EncodePiece(hint, Bytes(), Length()) != PieceResult::Encoded)
            continue;
        bool all = true;
        for (int32_t k = 1; k <= enc_->Count && all; ++k) {
            if (k != hint && enc_->EncodePiece(k, Bytes(), Length()) != PieceResult::Encoded) {
                hint = k;
                all = false;
            }
        }
        if (all) {
            prepared_ = true;
            return std::nullopt;
        }
    }
    // Name the first piece that does not fit even the largest version
    const int32_t k = FirstFailure(result);
    return Explain(k != 0 ? k : 1, result);
}

void EncodeJob::Write(OutputType type, std::FILE* out) {
    if (!prepared_)
        throw std::logic_error("EncodeJob::Write before a successful Prepare");
    std::string text;
    const auto put = [&] {
        if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out) != text.size())
            throw WriteError(errno);
        text.clear();
    };
    if (type == OutputType::Pbm) {
        text = PbmHeader(enc_->Mode, enc_->Count, (enc_->Side() + 8) * pxmag_);
        put();
    }
    for (int32_t k = 1; k <= enc_->Count; ++k) {
        if (enc_->EncodePiece(k, Bytes(), Length()) != PieceResult::Encoded)
            throw std::logic_error("piece " + std::to_string(k) + " no longer encodes");
        switch (type) {
        case OutputType::Pbm:
            AppendPbmSymbol(*enc_, pxmag_, text);
            break;
        case OutputType::Utf8:
            if (k > 1)
                text += '\n';
            AppendUtf8Symbol(*enc_, text);
            break;
        case OutputType::Ascii:
            if (k > 1)
                text += '\n';
            AppendAsciiSymbol(*enc_, text);
            break;
        default:
            throw std::logic_error(std::string("EncodeJob::Write cannot write ") + TypeName(type));
        }
        put();
    }
}

} // namespace zarvo::cli
