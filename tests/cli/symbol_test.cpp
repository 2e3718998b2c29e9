// The pictures of zarvo-encode: the component's setup, the options batch, and every picture type
// written by the command and read back by other readers.
#include "cli/command.h"
#include "cli/job.h"
#include "cli/symbol.h"
#include "shared/cp932.h"
#include "tests/cli/cli_test_support.h"

#include <QPainter>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::cli {
namespace {

using component::TQRCode;
using test::LoadPicture;
using test::RunInProcess;
using test::TempDir;
namespace fs = std::filesystem;
using Args = std::vector<std::string>;

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string Letters(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>('a' + i % 26);
    return s;
}

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
int32_t I32(const std::string& b, size_t at) {
    return static_cast<int32_t>(U32(b, at));
}
uint16_t U16(const std::string& b, size_t at) {
    uint16_t v = 0;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

// A component set up and loaded from a command line as the command does it, drawn at the version
// the command would choose.
struct Drawn {
    TQRCode qr;
    explicit Drawn(const Args& args, component::TPictures picture = component::picBMP) {
        const Options o = ParseArguments(args);
        SetUpComponent(qr);
        ApplyOptions(o, picture, shared::Utf8ToCp932(o.text), qr);
        EncodeJob job(o, qr.Data());
        if (const auto why = job.Prepare())
            throw std::runtime_error(*why);
        qr.SetVersion(job.Encoder().Version);
        qr.SetSymbolEnabled(true);
    }
};

TEST(SetUpComponent, IsTheMainWindowsSymbolWithoutSpaces) {
    TQRCode qr;
    qr.SetSymbolSpaceUp(5);
    int painted = 0;
    qr.SetOnPaintSymbol([&](TQRCode*, bool) { ++painted; });
    SetUpComponent(qr);
    EXPECT_FALSE(qr.SymbolEnabled());
    EXPECT_TRUE(qr.Match());
    EXPECT_FALSE(qr.Transparent());
    EXPECT_EQ(qr.CommentUpLoc(), component::locCenter);
    EXPECT_EQ(qr.CommentDownLoc(), component::locCenter);
    EXPECT_EQ(qr.SymbolLeft(), 0);
    EXPECT_EQ(qr.SymbolTop(), 0);
    EXPECT_EQ(qr.SymbolSpaceUp(), 0);
    EXPECT_EQ(qr.SymbolSpaceDown(), 0);
    EXPECT_EQ(qr.SymbolSpaceLeft(), 0);
    EXPECT_EQ(qr.SymbolSpaceRight(), 0);
    EXPECT_EQ(qr.ComFont().Name,
              "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"); // ＭＳ Ｐゴシック
    EXPECT_EQ(qr.ComFont().PixelHeight(), 12);
    EXPECT_EQ(qr.ComFont().Color, component::clWindowText);
    EXPECT_EQ(qr.ComFont().Charset, 128);
    EXPECT_FALSE(qr.ComFont().Bold || qr.ComFont().Italic || qr.ComFont().Underline ||
                 qr.ComFont().StrikeOut);
    EXPECT_FALSE(qr.SymbolDebug());
    EXPECT_TRUE(qr.ClearOption());
    EXPECT_EQ(painted, 0);
}

TEST(ApplyOptions, StoresEverySettingInOneBatchWithoutDrawing) {
    Options o = ParseArguments({"--binary",
                                "--split",
                                "plus",
                                "--count",
                                "3",
                                "--column",
                                "2",
                                "--numbering",
                                "head",
                                "--spaces",
                                "1,2,3,4",
                                "-v",
                                "7",
                                "--mode",
                                "byte",
                                "-l",
                                "Q",
                                "--mask",
                                "5",
                                "-s",
                                "3",
                                "--angle",
                                "270",
                                "--reverse",
                                "--foreground",
                                "102030",
                                "--background",
                                "#A0B0C0",
                                "--comment-up",
                                "上",
                                "--comment-down",
                                "down"});
    TQRCode qr;
    SetUpComponent(qr);
    int events = 0;
    qr.SetOnChangeCode([&](TQRCode*, bool) { ++events; });
    qr.SetOnChangedCode([&](TQRCode*, bool) { ++events; });
    qr.SetOnPaintSymbol([&](TQRCode*, bool) { ++events; });
    ApplyOptions(o, component::picEMF, "A~00FF~~~", qr);

    EXPECT_EQ(events, 0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(qr.Picture()));
    EXPECT_FALSE(qr.SymbolEnabled());
    EXPECT_TRUE(qr.BinaryOperation());
    EXPECT_EQ(qr.Code(), "A~00FF~~~");
    EXPECT_EQ(qr.Data(), std::string("A\x00\xff~", 4));
    EXPECT_TRUE(qr.Binary());
    EXPECT_EQ(qr.Mode(), encoder::qrPlus);
    EXPECT_EQ(qr.Count(), 3);
    EXPECT_EQ(qr.Column(), 2);
    EXPECT_EQ(qr.Numbering(), component::nbrHead);
    EXPECT_EQ(qr.SymbolSpaceUp(), 1);
    EXPECT_EQ(qr.SymbolSpaceDown(), 2);
    EXPECT_EQ(qr.SymbolSpaceLeft(), 3);
    EXPECT_EQ(qr.SymbolSpaceRight(), 4);
    EXPECT_EQ(qr.Version(), 7);
    EXPECT_EQ(qr.Emode(), 2);
    EXPECT_EQ(qr.Eclevel(), 2);
    EXPECT_EQ(qr.Masktype(), 5);
    EXPECT_EQ(qr.Pxmag(), 3);
    EXPECT_EQ(qr.Angle(), 270);
    EXPECT_TRUE(qr.Reverse());
    EXPECT_EQ(qr.SymbolColor(), 0x302010);
    EXPECT_EQ(qr.BackColor(), 0xC0B0A0);
    EXPECT_EQ(qr.SymbolPicture(), component::picEMF);
    EXPECT_EQ(qr.CommentUp(), "\x8f\xe3");
    EXPECT_EQ(qr.CommentDown(), "down");

    // A comment CP932 cannot hold is named and changes nothing
    const struct {
        Args args;
        std::string message;
    } bad[] = {
        {{"--comment-up", "café"}, "--comment-up: \"é\" (U+00E9) cannot be written in Shift-JIS (CP932)"},
        {{"--comment-down", "ok", "--comment-down", "\xff"},
         "--comment-down: the text is not valid UTF-8 (byte 0xFF at offset 0)"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.message);
        TQRCode fresh;
        SetUpComponent(fresh);
        try {
            ApplyOptions(ParseArguments(c.args), component::picBMP, "data", fresh);
            ADD_FAILURE() << "accepted";
        } catch (const shared::TextError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
        EXPECT_EQ(fresh.Code(), "");
    }
}

// The command chooses the version with its own encoder, then the component divides the data
// again: both must make the same pieces.
TEST(ApplyOptions, TheComponentDividesAsTheEncodeJobDoes) {
    struct {
        Args args;
        size_t length;
    } cases[] = {
        {{}, 9},
        {{"--split", "single", "--count", "3"}, 9},
        {{"--split", "connect", "--count", "17"}, 26},
        {{"--split", "connect"}, 9},
        {{"--split", "plus"}, 9},
        {{"--split", "plus", "--count", "3"}, 9},
        {{"--split", "connect", "--count", "1"}, 9},
        {{"--count", "5"}, 3},
        {{"--split", "plus", "--count", "40", "-l", "H"}, 300},
        {{"--count", "16"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " " + std::to_string(c.length));
        Args args = c.args;
        args.push_back(Letters(c.length));
        const Options o = ParseArguments(args);
        EncodeJob job(o, Letters(c.length));
        ASSERT_EQ(job.Prepare(), std::nullopt);

        Drawn drawn(args);
        ASSERT_TRUE(drawn.qr.SymbolDisped());
        EXPECT_EQ(drawn.qr.Mode(), job.Encoder().Mode);
        ASSERT_EQ(drawn.qr.Count(), job.Encoder().Count);
        for (int32_t k = 0; k <= drawn.qr.Count(); ++k)
            EXPECT_EQ(drawn.qr.Encoder().PieceOffsets[static_cast<size_t>(k)],
                      job.Encoder().PieceOffsets[static_cast<size_t>(k)]);
    }
}

// The command streams its listing piece by piece; it must be the component's PBM line for line.
TEST(ApplyOptions, TheStreamedListingIsTheComponentsPbm) {
    const Args cases[] = {
        {"Zarvo"},
        {"-v", "3", "-l", "M", "--mask", "4", "-s", "2", "01234567"},
        {"--split", "connect", "--count", "3", "-s", "3", "-l", "Q", Letters(100)},
        {"--split", "plus", "--count", "20", "-l", "H", Letters(300)},
        {"--mode", "kanji", "--count", "2", "漢字漢字"},
        {"--binary", "-s", "2", "AB~0D0A~CD~~"},
        // The listing ignores what only pictures show
        {"--angle", "90", "--reverse", "--comment-up", "c", "--spaces", "9", "--foreground", "FF0000", "-s",
         "2", "x"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        Args withType = args;
        withType.insert(withType.end(), {"-t", "PBM"});
        const auto r = RunInProcess(withType);
        ASSERT_EQ(r.status, 0) << r.err;

        Drawn drawn(args);
        std::string expected;
        for (const auto& line : drawn.qr.PBM())
            expected += line + "\n";
        EXPECT_EQ(r.out, expected);
    }
    EXPECT_EQ(RunInProcess({"-t", "PBM", "--angle", "90", "--reverse", "--comment-up", "c", "x"}).out,
              RunInProcess({"-t", "PBM", "x"}).out);
}

TEST(CommentRoomWarning, SaysWhenTheSpacesCannotHoldTheComments) {
    const std::string advice =
        " each symbol: they cover the quiet zone or fall outside the picture (try --spaces ";
    struct {
        Args args;
        std::string warning; // empty: none
    } cases[] = {
        {{"x"}, ""},
        {{"--comment-up", "top", "--spaces", "13,0,0,0", "x"}, ""},
        {{"--comment-down", "bottom", "--spaces", "0,20,0,0", "x"}, ""},
        {{"--count", "2", "--numbering", "none", "xy"}, ""},
        {{"--comment-up", "top", "x"},
         "the comments are 13 pixels high, but --spaces leaves 0 above and 0 below" + advice + "13,0,0,0)"},
        {{"--comment-down", "下", "--spaces", "5,12,1,2", "x"},
         "the comments are 13 pixels high, but --spaces leaves 5 above and 12 below" + advice + "5,13,1,2)"},
        // Numbers are comments too, from two symbols on
        {{"--count", "2", "--numbering", "tail", "--spaces", "13,0,0,0", "xy"},
         "the comments are 13 pixels high, but --spaces leaves 13 above and 0 below" + advice + "13,13,0,0)"},
        {{"--count", "1", "--numbering", "tail", "x"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        Drawn drawn(c.args);
        EXPECT_EQ(CommentRoomWarning(drawn.qr).value_or(""), c.warning);

        // The command says it and still writes the picture
        Args args = c.args;
        args.insert(args.begin(), {"-t", "png"});
        const auto r = RunInProcess(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, c.warning.empty() ? "" : "zarvo-encode: warning: " + c.warning + "\n");
    }
}

TEST(Pictures, BitmapsDecodeToTheDataBytes) {
    TempDir dir;
    std::mt19937 rng(3);
    std::string binary(200, '\0');
    for (auto& b : binary)
        b = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
    test::WriteFile(dir / "binary", binary);
    const std::string sjis = "Zarvo QR\x83\x52\x81\x5b\x83\x68";

    struct {
        Args args;
        std::string file, format; // format: what the file must hold whatever its name
        std::string bytes;
        int width; // of the picture
    } cases[] = {
        {{"-v", "2", "-s", "2", "Zarvo QRコード"}, "a.bmp", "BMP", sjis, 2 * 33},
        {{"-s", "2", "-l", "M", "-v", "10", "--mode", "byte", "-r", (dir / "binary").string()},
         "b.bmp",
         "BMP",
         binary,
         2 * 65},
        {{"-v", "2", "-s", "3", "Zarvo QRコード"}, "c.png", "PNG", sjis, 3 * 33},
        {{"--binary", "-v", "1", "-s", "2", "A~00FF1B~x~~y"},
         "d.png",
         "PNG",
         std::string("A\x00\xff\x1bx~y", 7),
         2 * 29},
        {{"-v", "2", "-s", "3", "-l", "M", "The quick brown fox"},
         "e.jpg",
         "JPEG",
         "The quick brown fox",
         3 * 33},
        {{"-v", "1", "-s", "4", "--mode", "kanji", "漢字"}, "f.JPEG", "JPEG", "\x8a\xbf\x8e\x9a", 4 * 29},
        {{"-v", "1", "-s", "3", "-t", "jpeg", "typed"}, "g.out", "JPEG", "typed", 3 * 29},
        {{"-v", "1", "-s", "2", "--foreground", "0000FF", "--background", "FFFF00", "colours"},
         "h.png",
         "PNG",
         "colours",
         2 * 29},
        {{"-v", "1", "-s", "2", "--angle", "90", "--reverse", "turned"}, "i.bmp", "BMP", "turned", 2 * 29},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Args args = c.args;
        args.insert(args.begin(), {"-o", (dir / c.file).string()});
        const auto r = RunInProcess(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");

        const std::string bytes = test::ReadFile(dir / c.file);
        const QImage picture = LoadPicture(bytes, c.format.c_str());
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.width(), c.width);
        EXPECT_EQ(picture.height(), c.width);
        const auto decoded = test::DecodePicture(picture);
        ASSERT_TRUE(decoded) << "does not decode";
        EXPECT_EQ(decoded->bytes, c.bytes);
        if (c.format == "BMP") {
            EXPECT_EQ(bytes.substr(0, 2), "BM");
            EXPECT_EQ(U32(bytes, 2), bytes.size());
            EXPECT_EQ(U16(bytes, 28), 32); // the component's own 32 bits per pixel
        }
    }

    // The colours are the RRGGBB given, not their bytes swapped
    const QImage coloured = LoadPicture(dir / "h.png");
    EXPECT_EQ(coloured.pixel(0, 0), qRgb(0xFF, 0xFF, 0x00));
    EXPECT_EQ(coloured.pixel(8, 8), qRgb(0x00, 0x00, 0xFF)); // the finder's corner after the quiet zone

    // Standard output takes the same bytes as a file
    const auto piped = RunInProcess({"-t", "png", "-v", "2", "-s", "3", "Zarvo QRコード"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, test::ReadFile(dir / "c.png"));
}

// -v 1 -s 2 --spaces 10,10,10,10 --count 3 --column 2: cells of 78 x 78 in two rows.
TEST(Pictures, TheWorkedLayout) {
    TempDir dir;
    const auto r = RunInProcess({"-v", "1", "-s", "2", "--spaces", "10,10,10,10", "--count", "3", "--column",
                                 "2", "-o", (dir / "worked.png").string(), "abcdef"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage picture = LoadPicture(dir / "worked.png");
    ASSERT_EQ(picture.size(), QSize(156, 156));

    // The third symbol's first module (the finder's corner) has its corner at (18, 96)
    const QRgb dark = qRgb(0, 0, 0), light = qRgb(255, 255, 255);
    EXPECT_EQ(picture.pixel(18, 96), dark);
    EXPECT_EQ(picture.pixel(19, 97), dark);
    EXPECT_EQ(picture.pixel(17, 96), light);
    EXPECT_EQ(picture.pixel(18, 95), light);
    EXPECT_EQ(picture.pixel(17, 95), light);

    // Each cell holds its piece of the structured-append set; the fourth cell is background
    const QRect cells[] = {{0, 0, 78, 78}, {78, 0, 78, 78}, {0, 78, 78, 78}};
    std::string joined;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto decoded = test::DecodePicture(picture, cells[i]);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->sequenceIndex, i);
        EXPECT_EQ(decoded->sequenceSize, 3);
        joined += decoded->bytes;
    }
    EXPECT_EQ(joined, "abcdef");
    const QImage empty = picture.copy(78, 78, 78, 78);
    bool allLight = true;
    for (int y = 0; y < 78; ++y)
        for (int x = 0; x < 78; ++x)
            allLight = allLight && empty.pixel(x, y) == light;
    EXPECT_TRUE(allLight);
}

TEST(Pictures, AngleAndReverseTurnAndMirrorTheUprightPicture) {
    // Two symbols side by side with a comment above: nothing about it is symmetric
    const Args base = {"-t",       "png",      "-s",           "2",   "--count",     "2",    "--column", "2",
                       "--spaces", "14,0,0,0", "--comment-up", "Top", "--numbering", "tail", "turn me"};
    const auto upright = RunInProcess(base);
    ASSERT_EQ(upright.status, 0) << upright.err;
    const QImage original = LoadPicture(upright.out, "PNG");
    ASSERT_EQ(original.size(), QSize(2 * 58, 58 + 14));

    for (const int angle : {0, 90, 180, 270}) {
        for (const bool reverse : {false, true}) {
            SCOPED_TRACE(testing::Message() << angle << (reverse ? " reversed" : ""));
            Args args = base;
            args.insert(args.begin(), {"--angle", std::to_string(angle)});
            if (reverse)
                args.insert(args.begin(), "--reverse");
            const auto r = RunInProcess(args);
            ASSERT_EQ(r.status, 0) << r.err;
            const QImage turned = LoadPicture(r.out, "PNG");
            const QImage expected =
                reverse ? test::Mirrored(test::Turned(original, angle)) : test::Turned(original, angle);
            EXPECT_EQ(turned, expected);
        }
    }
}

TEST(Pictures, CommentsAppearInTheirBands) {
    // One symbol of version 1 at 2 pixels: the symbol area is rows 16..73 between two 16-pixel bands
    const Args plain = {"-t", "png", "-v", "1", "-s", "2", "--spaces", "16,16,0,0"};
    struct {
        Args extra;
        bool up, down; // the band shows something
    } cases[] = {
        {{}, false, false},
        {{"--comment-up", "Hello"}, true, false},
        {{"--comment-down", "漢字"}, false, true},
        {{"--comment-up", "上", "--comment-down", "下"}, true, true},
        {{"--count", "2", "--column", "1", "--numbering", "ifvoid"}, true, true},
        {{"--count", "2", "--column", "1", "--numbering", "none"}, false, false},
    };
    const auto bandIsBlank = [](const QImage& picture, int top) {
        for (int y = top; y < top + 16; ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    };
    const auto draw = [&](const Args& extra, const std::string& data) {
        Args args = plain;
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(data);
        const auto r = RunInProcess(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return LoadPicture(r.out, "PNG");
    };
    const QImage without = draw({}, "xy");
    ASSERT_EQ(without.size(), QSize(58, 90));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.extra));
        const QImage picture = draw(c.extra, "xy");
        ASSERT_EQ(picture.width(), 58);
        EXPECT_EQ(bandIsBlank(picture, 0), !c.up);
        EXPECT_EQ(bandIsBlank(picture, 74), !c.down);
        EXPECT_TRUE(test::DecodePicture(picture, {0, 16, 58, 58}));
    }
    // The comments leave the symbol area as it was
    EXPECT_EQ(draw({"--comment-up", "上", "--comment-down", "下"}, "xy").copy(0, 16, 58, 58),
              without.copy(0, 16, 58, 58));
}

// A picture of the SVG's rectangles (the only elements a bitmap's SVG holds).
QImage RenderSvgRects(const std::string& svg, QSize size) {
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::magenta);
    QPainter painter(&out);
    static const std::regex kRect(
        R"re(<rect x="(-?\d+)" y="(-?\d+)" width="(\d+)" height="(\d+)" fill="#([0-9a-f]{6})"/>)re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), kRect); it != std::sregex_iterator(); ++it) {
        const auto& m = *it;
        painter.fillRect(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]),
                         QColor(static_cast<QRgb>(std::stoul(m[5], nullptr, 16))));
    }
    return out;
}

TEST(Pictures, VectorFilesHaveTheirHeadersAndSizes) {
    TempDir dir;
    // Two version-1 symbols at 2 pixels side by side: the drawing is 116 x 58
    const Args common = {"-v",   "1",        "-s",       "2",   "--count", "2", "--comment-down",
                         "漢字", "--spaces", "0,14,0,0", "pair"};
    const auto run = [&](const std::string& file, Args extra = {}) {
        Args args = extra;
        args.insert(args.end(), {"-o", (dir / file).string()});
        args.insert(args.end(), common.begin(), common.end());
        const auto r = RunInProcess(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return test::ReadFile(dir / file);
    };

    // SVG of the bitmap: its rectangles paint the PNG exactly, turned pictures included
    for (const char* angle : {"0", "90"}) {
        SCOPED_TRACE(angle);
        const std::string svg = run("p.svg", {"--angle", angle});
        const QImage png = LoadPicture(run("p.png", {"--angle", angle}), "PNG");
        EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
        const std::string size =
            "width=\"" + std::to_string(png.width()) + "\" height=\"" + std::to_string(png.height()) + "\"";
        EXPECT_NE(svg.find("<svg "), std::string::npos);
        EXPECT_NE(svg.find(size), std::string::npos) << size;
        EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
        EXPECT_EQ(RenderSvgRects(svg, png.size()), png);
    }

    // EMF: the header record, a frame one pixel larger than the drawing, the records to EMR_EOF
    const std::string emf = run("p.emf");
    ASSERT_GE(emf.size(), 108u);
    EXPECT_EQ(U32(emf, 0), 1u);           // EMR_HEADER
    EXPECT_EQ(U32(emf, 40), 0x464D4520u); // " EMF"
    EXPECT_EQ(U32(emf, 48), emf.size());  // nBytes
    EXPECT_EQ(I32(emf, 8), 0);            // rclBounds, inclusive
    EXPECT_EQ(I32(emf, 16), 116);
    EXPECT_EQ(I32(emf, 20), 58 + 14);
    EXPECT_NEAR(I32(emf, 32), 117 * 2540 / 96, 1); // rclFrame in 0.01 mm at 96 dpi
    uint32_t records = 0, lastType = 0;
    for (size_t at = 0; at + 8 <= emf.size(); at += U32(emf, at + 4)) {
        ASSERT_GE(U32(emf, at + 4), 8u);
        ASSERT_EQ(U32(emf, at + 4) % 4, 0u);
        lastType = U32(emf, at);
        ++records;
    }
    EXPECT_EQ(records, U32(emf, 52)); // nRecords
    EXPECT_EQ(lastType, 14u);         // EMR_EOF

    // WMF: the placeable header with its checksum, the metafile header, the records to META_EOF
    const std::string wmf = run("p.wmf");
    ASSERT_GE(wmf.size(), 40u);
    EXPECT_EQ(U32(wmf, 0), 0x9AC6CDD7u);
    EXPECT_EQ(U16(wmf, 10), 117); // bounding box right and bottom at 96 units per inch
    EXPECT_EQ(U16(wmf, 12), 58 + 14 + 1);
    EXPECT_EQ(U16(wmf, 14), 96);
    uint16_t checksum = 0;
    for (size_t at = 0; at < 20; at += 2)
        checksum = static_cast<uint16_t>(checksum ^ U16(wmf, at));
    EXPECT_EQ(U16(wmf, 20), checksum);
    EXPECT_EQ(U16(wmf, 22), 1); // memory metafile
    EXPECT_EQ(U16(wmf, 24), 9); // header words
    EXPECT_EQ(U16(wmf, 26), 0x300);
    EXPECT_EQ(U32(wmf, 28), (wmf.size() - 22) / 2); // size in words
    size_t at = 22 + 18;
    uint16_t lastFunction = 0xFFFF;
    while (at + 6 <= wmf.size()) {
        const size_t words = U32(wmf, at);
        ASSERT_GE(words, 3u);
        lastFunction = U16(wmf, at + 4);
        at += 2 * words;
    }
    EXPECT_EQ(at, wmf.size());
    EXPECT_EQ(lastFunction, 0); // META_EOF
    // The comment goes into the WMF as its Shift-JIS bytes
    EXPECT_NE(wmf.find("\x8a\xbf\x8e\x9a"), std::string::npos);
}

TEST(Pictures, RefusedPicturesLeaveNoFile) {
    TempDir dir;
    const auto out = [&](const std::string& name) { return (dir / name).string(); };
    struct {
        Args args;
        bool terminal;
        int status;
        std::string firstLine;
    } cases[] = {
        // 16 cells of 20029 pixels in one column: 20029 x 320464 pixels
        {{"-v", "1", "--count", "16", "--column", "1", "--spaces", "10000", "-o", out("big.png"),
          Letters(16)},
         false,
         1,
         "zarvo-encode: the picture would be 20029 x 320464 pixels, more than the 536870912 a picture may "
         "hold; use a smaller --size or --spaces, or fewer symbols"},
        // A WMF cannot reach beyond 32767 pixels
        {{"-v", "40", "-s", "10", "--count", "18", "--column", "18", "--split", "plus", "-o", out("wide.wmf"),
          Letters(18)},
         false,
         1,
         "zarvo-encode: a picture of 33301 x 1851 pixels is too large for a Windows metafile"},
        {{"--angle", "90", "-o", out("t.emf"), "x"},
         false,
         2,
         "zarvo-encode: EMF pictures cannot be turned or mirrored (--angle, --reverse); write BMP, JPEG, PNG "
         "or SVG"},
        {{"--reverse", "-t", "wmf", "-o", out("t.out"), "x"},
         false,
         2,
         "zarvo-encode: WMF pictures cannot be turned or mirrored (--angle, --reverse); write BMP, JPEG, PNG "
         "or SVG"},
        {{"-t", "png", "x"},
         true,
         2,
         "zarvo-encode: PNG pictures are not written to a terminal; write to a file with -o FILE"},
        {{"--comment-up", "café", "-o", out("c.png"), "x"},
         false,
         2,
         "zarvo-encode: --comment-up: \"é\" (U+00E9) cannot be written in Shift-JIS (CP932)"},
        {{"-v", "1", "-o", out("n.png"), Letters(30)},
         false,
         1,
         "zarvo-encode: piece 1 of 1 (30 bytes) does not fit version 1-L"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstLine);
        const auto r = RunInProcess(c.args, {}, c.terminal);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(FirstLine(r.err).rfind(c.firstLine, 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(dir.Entries().empty());
}

// Pictures go through the same writer as the listings: links followed, other files in place.
TEST(Pictures, AreWrittenInPlaceOfLinksAndPipes) {
    TempDir dir;
    const std::string expected = RunInProcess({"-t", "png", "x"}).out;

    test::WriteFile(dir / "target.png", "old");
    fs::create_symlink("target.png", dir / "link.png");
    auto r = RunInProcess({"-o", (dir / "link.png").string(), "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(test::ReadFile(dir / "target.png"), expected);

    // A pipe (as a device would be) is written, not replaced by a file
    const fs::path fifo = dir / "pipe.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    r = RunInProcess({"-o", fifo.string(), "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    std::string got(expected.size() + 1, '\0');
    const ssize_t n = read(reader, got.data(), got.size());
    close(reader);
    EXPECT_EQ(got.substr(0, static_cast<size_t>(std::max<ssize_t>(n, 0))), expected);
}

TEST(Pictures, TheTildeNotationFallsBackWithAWarning) {
    const auto r = RunInProcess({"--binary", "-t", "png", "~0G~"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.err,
        "zarvo-encode: warning: --binary: the data is not in the tilde notation (a tilde without its closing "
        "tilde, or other than hexadecimal pairs between two tildes); it is encoded as it is\n");
    const auto decoded = test::DecodePicture(LoadPicture(r.out, "PNG"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bytes, "~0G~");
}

} // namespace
} // namespace zarvo::cli
