// The data behind Code: the tilde notation both ways, and the raw data files.
#include "component/qrcode.h"
#include "shared/filewrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::component {

using shared::FileWriteError;
using shared::WriteFileAtomically;

namespace {

constexpr char kTilde = '~';

// Every control code except TAB, LF and CR.
bool IsBinaryByte(uint8_t b) {
    return b <= 0x08 || b == 0x0B || b == 0x0C || (b >= 0x0E && b <= 0x1F);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Quoted(const std::string& fileName) {
    return "\"" + fileName + "\"";
}

[[noreturn]] void ThrowSystemError(const std::string& what, const std::string& fileName, int error) {
    throw DataFileError("cannot " + what + " " + Quoted(fileName) + ": " + std::strerror(error));
}

// Closes a descriptor however the scope ends.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

// Reads a regular file whole. The size is checked before reading, so a device or a FIFO (which
// never end) and a file larger than the data can hold are refused up front.
std::string ReadRegularFile(const std::string& fileName) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer before we can refuse it
    Descriptor fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0)
        ThrowSystemError("read", fileName, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        ThrowSystemError("read", fileName, errno);
    if (!S_ISREG(st.st_mode))
        throw DataFileError("cannot read " + Quoted(fileName) + ": not a regular file");
    constexpr off_t kMax = INT32_MAX;
    const auto tooLarge = [&] {
        return DataFileError("cannot read " + Quoted(fileName) + ": larger than " + std::to_string(kMax) +
                             " bytes");
    };
    if (st.st_size > kMax)
        throw tooLarge();
    ::fcntl(fd.Get(), F_SETFL, 0); // back to blocking reads

    std::string bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    // The file may change while it is read: read to its real end, within the limit.
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() >= static_cast<size_t>(kMax)) {
                char probe;
                const ssize_t n = ::read(fd.Get(), &probe, 1);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    ThrowSystemError("read", fileName, errno);
                if (n > 0)
                    throw tooLarge();
                break;
            }
            bytes.resize(std::min(bytes.size() + 65536, static_cast<size_t>(kMax)));
        }
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowSystemError("read", fileName, errno);
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace

int32_t TQRCode::ParseCode() {
    binary_ = false;
    const size_t n = code_.size();
    if (n == 0) {
        data_.clear();
        return 0;
    }
    if (!binaryOperation_) {
        data_ = code_;
        return Len();
    }

    std::string out;
    out.reserve(n);
    bool binary = false;
    bool ok = true;
    size_t pos = 0;
    while (ok && pos < n) {
        // byte by byte: the trail byte of a double-byte character can be a tilde too
        const size_t open = code_.find(kTilde, pos);
        if (open == std::string::npos) {
            out.append(code_, pos, std::string::npos);
            break;
        }
        const size_t close = code_.find(kTilde, open + 1);
        if (close == std::string::npos || (close - open - 1) % 2 != 0) {
            ok = false;
            break;
        }
        out.append(code_, pos, open - pos);
        if (close == open + 1)
            out += kTilde;
        for (size_t i = open + 1; i < close; i += 2) {
            const int high = HexValue(code_[i]);
            const int low = HexValue(code_[i + 1]);
            if (high < 0 || low < 0) {
                ok = false;
                break;
            }
            const auto byte = static_cast<uint8_t>(high * 16 + low);
            binary = binary || IsBinaryByte(byte);
            out += static_cast<char>(byte);
        }
        pos = close + 1;
    }

    if (!ok) {
        // Malformed notation is no error: the text is taken literally and the notation is off.
        binaryOperation_ = false;
        binary_ = false;
        data_ = code_;
        return Len();
    }
    data_ = std::move(out);
    binary_ = binary;
    return Len();
}

int32_t TQRCode::MakeCode() {
    binary_ = false;
    if (data_.empty()) {
        code_.clear();
        return 0;
    }
    bool hasBinary = false;
    for (char c : data_)
        hasBinary = hasBinary || IsBinaryByte(static_cast<uint8_t>(c));

    if (!hasBinary) {
        if (!binaryOperation_) {
            code_ = data_;
            return Len();
        }
        // With the notation on, a lone tilde would be read back as an escape: double it, or a
        // loaded "~41~" would later become the byte 0x41.
        code_.clear();
        code_.reserve(data_.size());
        for (char c : data_) {
            code_ += c;
            if (c == kTilde)
                code_ += kTilde;
        }
        return Len();
    }

    binary_ = true;
    binaryOperation_ = true;
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(data_.size() * 2);
    bool run = false;
    for (char c : data_) {
        const auto b = static_cast<uint8_t>(c);
        if (IsBinaryByte(b)) {
            if (!run) {
                text += kTilde;
                run = true;
            }
            text += kHex[b >> 4];
            text += kHex[b & 0x0F];
        } else {
            if (run) {
                text += kTilde;
                run = false;
            }
            text += c;
            if (c == kTilde)
                text += kTilde;
        }
    }
    if (run)
        text += kTilde;
    code_ = std::move(text);
    return Len();
}

void TQRCode::LoadDataFromFile(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return;
    data_ = ReadRegularFile(fileName);
    MakeCode();
    DrawSymbols();
}

void TQRCode::SaveDataToFile(const std::string& fileName) const {
    try {
        WriteFileAtomically(fileName, data_.data(), data_.size(), shared::kSavedFile);
    } catch (const FileWriteError& e) {
        throw DataFileError(e.what());
    }
}

} // namespace zarvo::component
