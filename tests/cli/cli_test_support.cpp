#include "tests/cli/cli_test_support.h"

#include "cli/command.h"

#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace zarvo::cli::test {

namespace fs = std::filesystem;

namespace {

// A memory stream that collects what the command writes.
class Capture {
  public:
    Capture() : file_(open_memstream(&buf_, &size_)) {
        if (!file_)
            throw std::runtime_error("open_memstream failed");
    }
    ~Capture() {
        if (file_)
            std::fclose(file_);
        std::free(buf_);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    std::FILE* File() const { return file_; }
    std::string Take() {
        std::fclose(file_);
        file_ = nullptr;
        return std::string(buf_, size_);
    }

  private:
    char* buf_ = nullptr;
    size_t size_ = 0;
    std::FILE* file_;
};

} // namespace

RunResult RunInProcess(const std::vector<std::string>& args, const std::string& in, bool outIsTerminal) {
    std::FILE* input = std::tmpfile();
    if (!input)
        throw std::runtime_error("tmpfile failed");
    std::fwrite(in.data(), 1, in.size(), input);
    std::rewind(input);
    Capture out, err;
    RunResult r;
    r.status = RunCommand(args, {input, out.File(), err.File(), outIsTerminal});
    std::fclose(input);
    r.out = out.Take();
    r.err = err.Take();
    return r;
}

RunResult RunBinary(const std::vector<std::string>& args, const std::string& in) {
    TempDir dir;
    const std::string inPath = dir / "in", outPath = dir / "out", errPath = dir / "err";
    WriteFile(inPath, in);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {ZARVO_ENCODE_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, ZARVO_ENCODE_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + std::string(ZARVO_ENCODE_PATH));
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);

    RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    r.out = ReadFile(outPath);
    r.err = ReadFile(errPath);
    return r;
}

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "zarvo-cli-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<Listing> ReadListing(const std::string& text, std::string& error) {
    const auto fail = [&](const std::string& why) {
        error = why;
        return std::nullopt;
    };
    if (text.empty() || text.back() != '\n')
        return fail("the listing does not end with a newline");
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    Listing listing;
    std::smatch m;
    if (lines.size() < 3 || lines[0] != "P1")
        return fail("no \"P1\" line");
    static const std::regex kMode(R"((Single|Connect|Plus) Mode \(Count = ([1-9][0-9]*)\))");
    if (!std::regex_match(lines[1], m, kMode))
        return fail("bad mode line: " + lines[1]);
    listing.mode = m[1];
    listing.count = std::stoi(m[2]);
    static const std::regex kSize(R"(([1-9][0-9]*) ([1-9][0-9]*))");
    if (!std::regex_match(lines[2], m, kSize) || m[1] != m[2])
        return fail("bad size line: " + lines[2]);
    const int w = std::stoi(m[1]);
    const auto uw = static_cast<size_t>(w);
    listing.width = w;

    for (size_t i = 3; i < lines.size();) {
        if (i + 2 + uw > lines.size() || !lines[i].empty() || !lines[i + 1].empty())
            return fail("symbol " + std::to_string(listing.symbols.size() + 1) +
                        " is not two empty lines and " + std::to_string(w) + " rows");
        i += 2;
        std::vector<uint8_t> pixels(uw * uw);
        for (size_t y = 0; y < uw; ++y, ++i) {
            const std::string& line = lines[i];
            if (line.size() != 2 * uw)
                return fail("row " + std::to_string(y) + " has " + std::to_string(line.size()) +
                            " characters");
            for (size_t x = 0; x < uw; ++x) {
                const char a = line[2 * x], b = line[2 * x + 1];
                if (a != ' ' || (b != '0' && b != '1'))
                    return fail("bad token in row " + std::to_string(y));
                pixels[y * uw + x] = b == '1';
            }
        }

        // The first dark pixel is the corner of the upper-left finder, 4 modules in
        size_t first = 0;
        while (first < pixels.size() && !pixels[first])
            ++first;
        const size_t y0 = first / uw, x0 = first % uw;
        if (first == pixels.size() || y0 != x0 || x0 % 4 != 0 || x0 == 0 || uw % (x0 / 4) != 0)
            return fail("no finder pattern after a quiet zone of 4 modules");
        const size_t p = x0 / 4;
        const size_t side = uw / p - 8;
        if (side < 21 || side > 177 || (side - 17) % 4 != 0)
            return fail("side " + std::to_string(side) + " is no QR Code version");
        if (listing.pxmag != 0 && static_cast<size_t>(listing.pxmag) != p)
            return fail("symbols of different pixel sizes");
        listing.pxmag = static_cast<int>(p);

        ListedSymbol symbol;
        symbol.side = static_cast<int>(side);
        symbol.dark.resize(side * side);
        for (size_t y = 0; y < uw; ++y) {
            for (size_t x = 0; x < uw; ++x) {
                const bool dark = pixels[y * uw + x] != 0;
                // Unsigned: the quiet zone before the symbol wraps around to large values
                const size_t row = y / p - 4, col = x / p - 4;
                const bool inside = y / p >= 4 && x / p >= 4 && row < side && col < side;
                if (!inside && dark)
                    return fail("dark pixel in the quiet zone");
                if (!inside)
                    continue;
                auto& module = symbol.dark[row * side + col];
                if (y % p == 0 && x % p == 0)
                    module = dark;
                else if (module != dark)
                    return fail("module " + std::to_string(row) + "," + std::to_string(col) +
                                " is not uniform");
            }
        }
        listing.symbols.push_back(std::move(symbol));
    }
    if (listing.symbols.size() != static_cast<size_t>(listing.count))
        return fail("the mode line says " + std::to_string(listing.count) + " symbols, the listing holds " +
                    std::to_string(listing.symbols.size()));
    return listing;
}

std::optional<Decoded> DecodeSymbol(const ListedSymbol& symbol) {
    constexpr size_t kScale = 3;
    const auto side = static_cast<size_t>(symbol.side);
    const size_t n = (side + 8) * kScale;
    std::vector<uint8_t> image(n * n, 255);
    for (size_t y = 4 * kScale; y < (side + 4) * kScale; ++y)
        for (size_t x = 4 * kScale; x < (side + 4) * kScale; ++x)
            if (symbol.dark[(y / kScale - 4) * side + (x / kScale - 4)])
                image[y * n + x] = 0;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setIsPure(true);
    const auto result = ZXing::ReadBarcode(
        {image.data(), static_cast<int>(n), static_cast<int>(n), ZXing::ImageFormat::Lum}, hints);
    if (!result.isValid())
        return std::nullopt;
    Decoded d;
    d.bytes.assign(result.bytes().begin(), result.bytes().end());
    d.sequenceIndex = result.sequenceIndex();
    d.sequenceSize = result.sequenceSize();
    d.sequenceId = result.sequenceId();
    return d;
}

std::optional<Decoded> DecodePicture(const QImage& picture, const QRect& area) {
    const QImage part = area.isNull() ? picture : picture.copy(area);
    const QImage grey = part.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const auto result = ZXing::ReadBarcode({grey.constBits(), grey.width(), grey.height(),
                                            ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine())},
                                           hints);
    if (!result.isValid())
        return std::nullopt;
    Decoded d;
    d.bytes.assign(result.bytes().begin(), result.bytes().end());
    d.sequenceIndex = result.sequenceIndex();
    d.sequenceSize = result.sequenceSize();
    d.sequenceId = result.sequenceId();
    return d;
}

QImage LoadPicture(const fs::path& path) {
    return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
}

QImage LoadPicture(const std::string& bytes, const char* format) {
    return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()),
                            format)
        .convertToFormat(QImage::Format_RGB32);
}

QImage Turned(const QImage& picture, int angle) {
    if (angle == 0)
        return picture.convertToFormat(QImage::Format_RGB32);
    const int w = picture.width(), h = picture.height();
    const bool quarter = angle == 90 || angle == 270;
    QImage out(quarter ? h : w, quarter ? w : h, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y,
                         angle == 90    ? picture.pixel(y, h - 1 - x)
                         : angle == 180 ? picture.pixel(w - 1 - x, h - 1 - y)
                                        : picture.pixel(w - 1 - y, x));
    return out;
}

QImage Mirrored(const QImage& picture) {
    QImage out(picture.width(), picture.height(), QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, picture.pixel(picture.width() - 1 - x, y));
    return out;
}

} // namespace zarvo::cli::test
