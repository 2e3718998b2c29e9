#include "cli/command.h"
#include "tests/cli/cli_test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace zarvo::cli {
namespace {

using namespace std::string_literals;
using test::RunInProcess;
using test::TempDir;
namespace fs = std::filesystem;

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& b : s)
        b = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
    return s;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

TEST(RunCommand, ListingsDecodeToTheExactBytes) {
    TempDir dir;
    const std::string binary = RandomBytes(1600, 1);
    test::WriteFile(dir / "binary", binary);
    test::WriteFile(dir / "binary200", binary.substr(0, 200));
    test::WriteFile(dir / "binary1200", binary.substr(0, 1200));
    const std::string file = (dir / "binary").string();
    const std::string letters = "The quick brown fox jumps over the lazy dog. 0123456789 THE QUICK BROWN FOX";
    const std::string sjis = "Zarvo QR\x83\x52\x81\x5b\x83\x68";

    struct {
        std::vector<std::string> args;
        std::string bytes;
        std::string mode;
        int count;
    } cases[] = {
        {{"-v", "1", "-l", "M", "01234567"}, "01234567", "Single", 1},
        {{"-s", "2", "-l", "Q", "Zarvo QRコード"}, sjis, "Single", 1},
        {{"--mode", "kanji", "-l", "H", "漢字テスト"},
         "\x8a\xbf\x8e\x9a\x83\x65\x83\x58\x83\x67",
         "Single",
         1},
        {{"--mode=numeric", "-v", "10", std::string(300, '9')}, std::string(300, '9'), "Single", 1},
        {{"--mode=alnum", "-s", "3", "HELLO WORLD $%*+-./:"}, "HELLO WORLD $%*+-./:", "Single", 1},
        {{"--mode=byte", "--mask=3", "-v", "13", "-r", (dir / "binary200").string()},
         binary.substr(0, 200),
         "Single",
         1},
        {{"-v", "40", "-l", "H", "--mask", "7", "--mode", "byte", "-r", (dir / "binary1200").string()},
         binary.substr(0, 1200),
         "Single",
         1},
        {{"-v", "27", "-l", "L", letters + letters + letters}, letters + letters + letters, "Single", 1},
        {{"--count", "3", "-s", "2", letters}, letters, "Connect", 3},
        {{"--split", "connect", "--count", "16", "-l", "M", "-r", file}, binary, "Connect", 16},
        {{"--split=plus", "-l", "Q", letters}, letters, "Plus", 2},
        {{"--count=17", "-v", "6", "-r", file}, binary, "Plus", 17},
        {{"--split", "single", "--count", "2", "--mode", "kanji", "漢字かな"},
         "\x8a\xbf\x8e\x9a\x82\xa9\x82\xc8",
         "Connect",
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        // The text arguments are UTF-8; the file data and expectations are the symbol's own bytes
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-t", "PBM"});
        const auto r = RunInProcess(args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::string why;
        const auto listing = test::ReadListing(r.out, why);
        ASSERT_TRUE(listing) << why;
        EXPECT_EQ(listing->mode, c.mode);
        ASSERT_EQ(listing->count, c.count);

        int parity = 0;
        for (char b : c.bytes)
            parity ^= static_cast<unsigned char>(b);
        std::string joined;
        for (int i = 0; i < listing->count; ++i) {
            const auto decoded = test::DecodeSymbol(listing->symbols[static_cast<size_t>(i)]);
            ASSERT_TRUE(decoded) << "symbol " << i + 1 << " does not decode";
            joined += decoded->bytes;
            if (c.mode == "Connect") {
                EXPECT_EQ(decoded->sequenceIndex, i);
                EXPECT_EQ(decoded->sequenceSize, c.count);
                EXPECT_EQ(decoded->sequenceId, std::to_string(parity));
            } else {
                EXPECT_EQ(decoded->sequenceSize, -1);
            }
        }
        EXPECT_EQ(joined, c.bytes);
    }
}

TEST(RunCommand, TheOutputTypeFollowsTypeNameAndTerminal) {
    TempDir dir;
    const std::string block = "\u2588";
    struct {
        std::vector<std::string> args;
        bool terminal;
        std::string file; // empty: standard output
        std::string starts;
    } cases[] = {
        {{}, false, "", "P1\n"},
        {{}, true, "", block},
        {{"-t", "ascii"}, true, "", "        "},
        {{"-t", "utf8"}, false, "", block},
        {{"-o", (dir / "a.pbm").string()}, true, "a.pbm", "P1\n"},
        {{"-o", (dir / "b.PBM").string()}, false, "b.PBM", "P1\n"},
        {{"-o", (dir / "c.txt").string()}, false, "c.txt", block},
        {{"-o", (dir / "d").string()}, true, "d", "P1\n"},
        {{"-t", "ascii", "-o", (dir / "e.png").string()}, false, "e.png", "        "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        auto args = c.args;
        args.push_back("Zarvo");
        const auto r = RunInProcess(args, {}, c.terminal);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string text = c.file.empty() ? r.out : test::ReadFile(dir / c.file);
        EXPECT_EQ(text.substr(0, c.starts.size()), c.starts);
        if (!c.file.empty()) {
            EXPECT_EQ(r.out, "");
        }
    }

    const struct {
        std::string name;
        OutputType type;
    } types[] = {
        {"x/y.z/name", OutputType::Pbm}, {".pbm", OutputType::Pbm}, // a hidden file without extension
        {"out.Txt", OutputType::Utf8},   {"a.bmp", OutputType::Bmp}, {"b.JPG", OutputType::Jpeg},
        {"c.jpeg", OutputType::Jpeg},    {"d.png", OutputType::Png}, {"e.Svg", OutputType::Svg},
        {"f.emf", OutputType::Emf},      {"g.WMF", OutputType::Wmf}, {"dir.png/h.txt", OutputType::Utf8},
    };
    for (const auto& c : types)
        EXPECT_EQ(TypeForFile(c.name), c.type) << c.name;
    const struct {
        std::string name, message;
    } refused[] = {
        {"qr.gif", "cannot write .gif pictures; write BMP, JPEG, PNG, SVG, EMF or WMF"},
        {"qr.TIFF", "cannot write .tiff pictures; write BMP, JPEG, PNG, SVG, EMF or WMF"},
        {"qr.dat", "cannot tell the output type of \"" + (dir / "qr.dat").string() +
                       "\" from its extension; use -t PBM, UTF8, ASCII, BMP, JPEG, PNG, SVG, EMF or WMF"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        const auto r = RunInProcess({"-o", (dir / c.name).string(), "Zarvo"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(FirstLine(r.err), "zarvo-encode: " + c.message);
        EXPECT_FALSE(fs::exists(dir / c.name));
    }
}

TEST(RunCommand, ExitStatusAndMessages) {
    TempDir dir;
    struct {
        std::vector<std::string> args;
        int status;
        std::string firstLine;
        bool usage; // a pointer to the help follows the message
    } cases[] = {
        {{"-v", "1", "--count", "3", std::string(20, '1') + std::string(20, 'a') + std::string(20, '1')},
         1,
         "zarvo-encode: piece 2 of 3 (20 bytes) does not fit version 1-L",
         false},
        {{"--mode", "numeric", "12a"},
         1,
         "zarvo-encode: piece 1 of 1 (3 bytes) cannot be encoded in numeric mode",
         false},
        {{"-l", "H", std::string(1300, 'x')},
         1,
         "zarvo-encode: piece 1 of 1 (1300 bytes) does not fit version 40-H",
         false},
        {{"--count", "0", "x"}, 2, "zarvo-encode: the count must be 1..1024, not \"0\"", true},
        {{"a", "b"},
         2,
         "zarvo-encode: more than one data argument (\"a\", \"b\"); quote text that holds spaces",
         true},
        {{"café"}, 2, "zarvo-encode: \"é\" (U+00E9) cannot be written in Shift-JIS (CP932)", true},
        {{"-r", (dir / "missing").string()},
         2,
         "zarvo-encode: cannot read \"" + (dir / "missing").string() + "\": No such file or directory",
         false},
        {{"-r", dir.Path().string()},
         2,
         "zarvo-encode: cannot read \"" + dir.Path().string() + "\": Is a directory",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const auto r = RunInProcess(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(FirstLine(r.err), c.firstLine);
        EXPECT_EQ(r.err,
                  c.firstLine + "\n" + (c.usage ? "Try 'zarvo-encode --help' for more information.\n" : ""));
    }

    const auto help = RunInProcess({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, UsageText());
    EXPECT_EQ(help.err, "");
    const auto version = RunInProcess({"-V"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zarvo-encode 0.1.0\n");
}

TEST(RunCommand, StandardInputAndFilesAreRawBytes) {
    TempDir dir;
    const std::string bytes = "\x82\xa0 raw \xff\x00 bytes"s;
    test::WriteFile(dir / "in", bytes);
    const auto fromFile = RunInProcess({"-t", "ascii", "-r", (dir / "in").string()});
    const auto fromInput = RunInProcess({"-t", "ascii"}, bytes);
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromInput.status, 0);
    EXPECT_EQ(fromFile.out, fromInput.out);
    // Text given as an argument is converted; the same text as bytes is not
    EXPECT_EQ(RunInProcess({"-t", "ascii", "あ"}).out, RunInProcess({"-t", "ascii"}, "\x82\xa0").out);
    EXPECT_NE(RunInProcess({"-t", "ascii", "あ"}).out, RunInProcess({"-t", "ascii"}, "あ").out);
}

TEST(RunCommand, TheOutputFileIsReplacedWholeOrNotAtAll) {
    TempDir dir;
    const fs::path target = dir / "qr.pbm";
    const std::string tooLong = std::string(30, 'a');

    // A failing run leaves the old file as it was
    test::WriteFile(target, "old contents\n");
    chmod(target.c_str(), 0640);
    auto r = RunInProcess({"-v", "1", "-o", target.string(), tooLong});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(test::ReadFile(target), "old contents\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"qr.pbm"});

    // A good run replaces it, keeps its permissions and leaves nothing else behind
    r = RunInProcess({"-o", target.string(), tooLong});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::ReadFile(target), RunInProcess({"-t", "pbm", tooLong}).out);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"qr.pbm"});

    // A new file gets the permissions the umask allows
    const mode_t old = umask(027);
    r = RunInProcess({"-o", (dir / "new.pbm").string(), "x"});
    umask(old);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(fs::status(dir / "new.pbm").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A symbolic link is written through, not replaced
    fs::create_symlink("qr.pbm", dir / "link.pbm");
    r = RunInProcess({"-o", (dir / "link.pbm").string(), "via link"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.pbm"));
    EXPECT_EQ(test::ReadFile(target), RunInProcess({"-t", "pbm", "via link"}).out);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.pbm", "new.pbm", "qr.pbm"}));

    // Devices are written in place
    r = RunInProcess({"-o", "/dev/null", "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(RunCommand, WriteErrorsNameTheFileAndTheReason) {
    TempDir dir;
    const struct {
        std::string output, message;
    } cases[] = {
        {"/dev/full", "zarvo-encode: cannot write \"/dev/full\": No space left on device\n"},
        {(dir / "no" / "qr.pbm").string(), "zarvo-encode: cannot write \"" +
                                               (dir / "no" / "qr.pbm").string() +
                                               "\": No such file or directory\n"},
        {dir.Path().string(), "zarvo-encode: cannot write \"" + dir.Path().string() + "\": Is a directory\n"},
        {(dir / "read-only.pbm").string(),
         "zarvo-encode: cannot write \"" + (dir / "read-only.pbm").string() + "\": Permission denied\n"},
    };
    test::WriteFile(dir / "read-only.pbm", "kept");
    chmod((dir / "read-only.pbm").c_str(), 0444);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const auto r = RunInProcess({"-t", "pbm", "-o", c.output, "Zarvo"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.message);
    }
    EXPECT_EQ(test::ReadFile(dir / "read-only.pbm"), "kept");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"read-only.pbm"});

    // Standard output that cannot take the symbol
    std::FILE* full = std::fopen("/dev/full", "w");
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(full && err);
    const int status = RunCommand({"-t", "ascii", "Zarvo"}, {stdin, full, err, false});
    std::fclose(full);
    std::rewind(err);
    char message[200] = {};
    std::fread(message, 1, sizeof message - 1, err);
    std::fclose(err);
    EXPECT_EQ(status, 2);
    EXPECT_STREQ(message, "zarvo-encode: cannot write standard output: No space left on device\n");
}

} // namespace
} // namespace zarvo::cli

namespace zarvo::cli {
namespace {

TEST(ListingChecker, RefusesMalformedListings) {
    const std::string good = RunInProcess({"-t", "pbm", "-s", "2", "--count", "2", "abcd"}).out;
    std::string why;
    ASSERT_TRUE(test::ReadListing(good, why)) << why;

    const auto broken = [&](size_t at, const std::string& with) {
        std::string s = good;
        s.replace(at, with.size(), with);
        return s;
    };
    const size_t firstRow = good.find("\n\n\n") + 3;
    const size_t rowLength = 2 * 58 + 1;
    const std::string cases[] = {
        good.substr(0, good.size() - 1),                   // no final newline
        broken(0, "P4"),                                   //
        broken(good.find("= 2)"), "= 3)"),                 // mode line against the symbols
        broken(firstRow + 57 * rowLength + 1, "1"),        // dark in the quiet zone
        broken(firstRow + 8 * rowLength + 2 * 9 + 1, "0"), // half a finder module light
        good.substr(0, good.size() - rowLength),           // a row short
        broken(firstRow, "x"),                             // a bad token
    };
    for (const auto& text : cases) {
        EXPECT_FALSE(test::ReadListing(text, why));
        EXPECT_FALSE(why.empty());
    }
}

} // namespace
} // namespace zarvo::cli
