#include "cli/job.h"
#include "encoder/pbm.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace zarvo::cli {
namespace {

using encoder::qrConnect;
using encoder::qrPlus;
using encoder::qrSingle;

// The whole output of a prepared job in the given type.
std::string Output(EncodeJob& job, OutputType type) {
    char* buf = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&buf, &size);
    job.Write(type, f);
    std::fclose(f);
    std::string text(buf, size);
    std::free(buf);
    return text;
}

std::string ModeLine(const std::string& listing) {
    const size_t a = listing.find('\n') + 1;
    return listing.substr(a, listing.find('\n', a) - a);
}

std::string Letters(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>('a' + i % 26);
    return s;
}

TEST(ApplySettings, ModeBeforeCountAndTheDivisionHasTheLastWord) {
    struct {
        std::optional<encoder::TQRMode> split;
        std::optional<int32_t> count;
        size_t length;
        std::string modeLine;
    } cases[] = {
        {std::nullopt, std::nullopt, 9, "Single Mode (Count = 1)"},
        {qrSingle, 3, 9, "Connect Mode (Count = 3)"},             // three pieces cannot stay single
        {qrConnect, 17, 26, "Plus Mode (Count = 17)"},            // more than 16 cannot stay connected
        {qrConnect, std::nullopt, 9, "Connect Mode (Count = 2)"}, // connect raises 1 to 2
        {qrPlus, std::nullopt, 9, "Plus Mode (Count = 2)"},
        {qrPlus, 3, 9, "Plus Mode (Count = 3)"}, // 2..16 independent symbols stay independent
        {std::nullopt, 3, 9, "Connect Mode (Count = 3)"},
        {qrConnect, 1, 9, "Single Mode (Count = 1)"}, // Count after Mode: 1 wins
        {qrSingle, std::nullopt, 9, "Single Mode (Count = 1)"},
        {std::nullopt, 5, 3, "Connect Mode (Count = 3)"}, // no more pieces than bytes
        {qrPlus, 1024, 2048, "Plus Mode (Count = 1024)"},
        {qrConnect, 16, 0, "Single Mode (Count = 1)"}, // no data: one empty symbol
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.split ? int{*c.split} : -1) << " " << c.count.value_or(-1) << " " << c.length);
        Options o;
        o.split = c.split;
        o.count = c.count;
        EncodeJob job(o, Letters(c.length));
        ASSERT_EQ(job.Prepare(), std::nullopt);
        EXPECT_EQ(ModeLine(Output(job, OutputType::Pbm)), c.modeLine);
    }
}

TEST(ApplySettings, StoresTheRestAsTheSettersWould) {
    Options o;
    o.symversion = 7;
    o.level = 2;
    o.emode = 1;
    o.mask = 5;
    encoder::SymbolEncoder enc;
    ApplySettings(o, enc);
    EXPECT_EQ(enc.Version, 7);
    EXPECT_EQ(enc.Eclevel, 2);
    EXPECT_EQ(enc.Emode, 1);
    EXPECT_EQ(enc.EmodeR, 1);
    EXPECT_EQ(enc.Masktype, 5);
    EXPECT_EQ(enc.MasktypeR, 5);

    o.symversion = 0; // the search picks the version later; the setter would ignore 0
    encoder::SymbolEncoder fresh;
    ApplySettings(o, fresh);
    EXPECT_EQ(fresh.Version, 1);
}

TEST(EncodeJob, VersionZeroTakesTheSmallestVersionThatFits) {
    struct {
        std::string data;
        int32_t level, count, version;
    } cases[] = {
        {std::string(41, '7'), 0, 1, 1}, // 41 digits: the numeric capacity of 1-L
        {std::string(42, '7'), 0, 1, 2},
        {std::string(17, 'a'), 0, 1, 1}, // 17 bytes: the byte capacity of 1-L
        {std::string(18, 'a'), 0, 1, 2},
        {std::string(7, 'a'), 3, 1, 1}, // 1-H holds 7 bytes
        {std::string(8, 'a'), 3, 1, 2},
        {std::string(2953, 'a'), 0, 1, 40},
        {std::string(34, 'a'), 0, 2, 2}, // two pieces of 17 bytes plus the structured-append header
        {"", 0, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.data.size() << " bytes, level " << c.level << ", count " << c.count);
        Options o;
        o.level = c.level;
        o.count = c.count;
        EncodeJob job(o, c.data);
        ASSERT_EQ(job.Prepare(), std::nullopt);
        EXPECT_EQ(job.Encoder().Version, c.version);
    }

    // On random data the chosen version fits and the one below does not
    std::mt19937 rng(7);
    for (int i = 0; i < 20; ++i) {
        std::string data(std::uniform_int_distribution<size_t>(1, 400)(rng), ' ');
        for (auto& b : data)
            b = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        Options o;
        o.level = i % 4;
        o.count = 1 + i % 3;
        EncodeJob job(o, data);
        ASSERT_EQ(job.Prepare(), std::nullopt);
        const int32_t version = job.Encoder().Version;
        if (version > 1) {
            o.symversion = version - 1;
            EncodeJob smaller(o, data);
            EXPECT_NE(smaller.Prepare(), std::nullopt) << data.size() << " bytes at version " << version;
        }
    }
}

TEST(EncodeJob, SaysWhichPieceCannotBeMadeAndWhy) {
    const std::string digits(20, '1');
    struct {
        int32_t symversion, level, emode, count;
        std::string data, message;
    } cases[] = {
        {1, 0, -1, 3, digits + std::string(20, 'a') + digits,
         "piece 2 of 3 (20 bytes) does not fit version 1-L"},
        {1, 3, -1, 1, "ABCDEFGHIJK", "piece 1 of 1 (11 bytes) does not fit version 1-H"},
        {0, 0, -1, 1, std::string(2954, 'a'), "piece 1 of 1 (2954 bytes) does not fit version 40-L"},
        {0, 3, -1, 2, std::string(4000, 'a'), "piece 1 of 2 (2000 bytes) does not fit version 40-H"},
        {0, 0, -1, 1, std::string(7090, '1'),
         "piece 1 of 1 (7090 bytes) is longer than one symbol can hold (7089 bytes)"},
        {5, 0, -1, 1, std::string(7090, '1'),
         "piece 1 of 1 (7090 bytes) is longer than one symbol can hold (7089 bytes)"},
        {0, 0, 0, 1, "12a", "piece 1 of 1 (3 bytes) cannot be encoded in numeric mode"},
        {5, 0, 0, 1, "12a", "piece 1 of 1 (3 bytes) cannot be encoded in numeric mode"},
        {0, 0, 1, 2, "ABCDabcd", "piece 2 of 2 (4 bytes) cannot be encoded in alphanumeric mode"},
        {0, 0, 3, 1, "A", "piece 1 of 1 (1 byte) cannot be encoded in kanji mode"},
        {0, 0, 3, 1, "\x8a\xbf\x8e", "piece 1 of 1 (3 bytes) cannot be encoded in kanji mode"},
        // Past the 13-bit range of kanji mode
        {0, 0, 3, 1, "\x8a\xbf\xeb\xc0", "piece 1 of 1 (4 bytes) cannot be encoded in kanji mode"},
        {1, 0, 0, 1, std::string(42, '1'), "piece 1 of 1 (42 bytes) does not fit version 1-L"},
        {0, 0, -1, 1024, std::string(1024 * 7089 + 1, '1'),
         "the data is longer than 1024 symbols can hold (7259136 bytes)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Options o;
        o.symversion = c.symversion;
        o.level = c.level;
        o.emode = c.emode;
        o.count = c.count;
        EncodeJob job(o, c.data);
        EXPECT_EQ(job.Prepare(), c.message);
    }
}

TEST(EncodeJob, ForcedModesCarryWhatTheyCan) {
    struct {
        int32_t emode;
        std::string data;
    } cases[] = {
        {0, "0123456789"},
        {1, "AZ09 $%*+-./:"},
        {2, "any \x01\xff bytes"},
        {3, "\x81\x40\x9f\xfc\xe0\x40\xeb\xbf"}, // the ends of both kanji ranges
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.emode);
        EXPECT_TRUE(ModeCanCarry(c.emode, reinterpret_cast<const uint8_t*>(c.data.data()),
                                 static_cast<int32_t>(c.data.size())));
        Options o;
        o.emode = c.emode;
        EncodeJob job(o, c.data);
        EXPECT_EQ(job.Prepare(), std::nullopt);
    }
}

TEST(EncodeJob, PbmIsTheEncodersListing) {
    struct {
        int32_t symversion, level, emode, mask, size;
        std::optional<encoder::TQRMode> split;
        std::optional<int32_t> count;
        std::string data;
    } cases[] = {
        {0, 0, -1, -1, 1, std::nullopt, std::nullopt, "Zarvo"},
        {3, 1, -1, 4, 2, std::nullopt, std::nullopt, "01234567"},
        {0, 2, 2, -1, 3, qrConnect, 3, Letters(100)},
        {0, 3, -1, -1, 1, qrPlus, 20, Letters(300)},
        {0, 0, 3, -1, 1, std::nullopt, 2, "\x8a\xbf\x8e\x9a\x8a\xbf\x8e\x9a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        Options o;
        o.symversion = c.symversion;
        o.level = c.level;
        o.emode = c.emode;
        o.mask = c.mask;
        o.size = c.size;
        o.split = c.split;
        o.count = c.count;
        EncodeJob job(o, c.data);
        ASSERT_EQ(job.Prepare(), std::nullopt);
        const std::string written = Output(job, OutputType::Pbm);

        // The same settings on a second encoder, listed by the encoder itself
        encoder::SymbolEncoder enc;
        ApplySettings(o, enc);
        enc.Version = job.Encoder().Version;
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.data.data());
        const auto len = static_cast<int32_t>(c.data.size());
        enc.Divide(bytes, len);
        enc.CheckDivision(bytes, len);
        std::vector<std::string> lines;
        encoder::MakePbm(enc, bytes, len, c.size, lines);
        std::string expected;
        for (const auto& line : lines)
            expected += line + "\n";
        EXPECT_EQ(written, expected);
    }
}

TEST(EncodeJob, TextTypesSeparateSymbolsByAnEmptyLine) {
    Options o;
    o.count = 3;
    o.symversion = 1;
    EncodeJob job(o, "abcdef");
    ASSERT_EQ(job.Prepare(), std::nullopt);
    const std::string utf8 = Output(job, OutputType::Utf8);
    const std::string ascii = Output(job, OutputType::Ascii);
    EXPECT_EQ(ascii.size(), 3 * 29 * 59 + 2); // three times 29 lines of 58 characters, and 2 separators
    EXPECT_EQ(ascii.find("\n\n"), 29u * 59 - 1);
    EXPECT_EQ(ascii.rfind("\n\n"), 2 * 29u * 59);
    EXPECT_EQ(std::count(utf8.begin(), utf8.end(), '\n'), 3 * 15 + 2);
}

} // namespace
} // namespace zarvo::cli
