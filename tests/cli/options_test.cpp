#include "options.h"

#include <gtest/gtest.h>

namespace zarvo::cli {
namespace {

using Args = std::vector<std::string>;

TEST(ParseArguments, DefaultsLeaveEveryChoiceToTheEncoder) {
    const Options o = ParseArguments({});
    EXPECT_EQ(o.source, Source::StandardInput);
    EXPECT_EQ(o.symversion, 0);
    EXPECT_EQ(o.level, 0);
    EXPECT_EQ(o.emode, -1);
    EXPECT_EQ(o.mask, -1);
    EXPECT_FALSE(o.count);
    EXPECT_FALSE(o.split);
    EXPECT_EQ(o.size, 1);
    EXPECT_EQ(o.output, "-");
    EXPECT_FALSE(o.type);
}

TEST(ParseArguments, TakesValuesGluedOrSeparate) {
    struct {
        Args args;
        int32_t Options::*field;
        int32_t expected;
    } cases[] = {
        {{"-v5"}, &Options::symversion, 5},
        {{"-v", "5"}, &Options::symversion, 5},
        {{"--symversion=40"}, &Options::symversion, 40},
        {{"--symversion", "0"}, &Options::symversion, 0},
        {{"-lm"}, &Options::level, 1},
        {{"-l", "Q"}, &Options::level, 2},
        {{"--level=h"}, &Options::level, 3},
        {{"--mode", "numeric"}, &Options::emode, 0},
        {{"--mode=ALNUM"}, &Options::emode, 1},
        {{"--mode=alphanumeric"}, &Options::emode, 1},
        {{"--mode=byte"}, &Options::emode, 2},
        {{"--mode=Kanji"}, &Options::emode, 3},
        {{"--mode=kanji", "--mode=auto"}, &Options::emode, -1}, // the last one counts
        {{"--mask=0"}, &Options::mask, 0},
        {{"--mask", "7"}, &Options::mask, 7},
        {{"--mask=AUTO"}, &Options::mask, -1},
        {{"-s10"}, &Options::size, 10},
        {{"--size", "3"}, &Options::size, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(ParseArguments(c.args).*c.field, c.expected);
    }

    EXPECT_EQ(ParseArguments({"--count=1024"}).count, 1024);
    EXPECT_EQ(ParseArguments({"--split", "Connect"}).split, encoder::qrConnect);
    EXPECT_EQ(ParseArguments({"--split=plus"}).split, encoder::qrPlus);
    EXPECT_EQ(ParseArguments({"-o", "a.pbm"}).output, "a.pbm");
    EXPECT_EQ(ParseArguments({"--output=-"}).output, "-");
    EXPECT_EQ(ParseArguments({"-tutf8"}).type, OutputType::Utf8);
    EXPECT_EQ(ParseArguments({"--type", "Ascii"}).type, OutputType::Ascii);
    EXPECT_EQ(ParseArguments({"-t", "PBM"}).type, OutputType::Pbm);
}

TEST(ParseArguments, FindsTheDataSource) {
    struct {
        Args args;
        Source source;
        std::string text, file;
    } cases[] = {
        {{}, Source::StandardInput, "", ""},
        {{"-l", "M"}, Source::StandardInput, "", ""},
        {{"hello world"}, Source::Text, "hello world", ""},
        {{"-v", "3", "漢字"}, Source::Text, "漢字", ""},
        {{"-"}, Source::Text, "-", ""},
        {{""}, Source::Text, "", ""},
        {{"--", "-v"}, Source::Text, "-v", ""},
        {{"-r", "data.bin"}, Source::File, "", "data.bin"},
        {{"--read-from=x", "-o", "y"}, Source::File, "", "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Options o = ParseArguments(c.args);
        EXPECT_EQ(o.source, c.source);
        EXPECT_EQ(o.text, c.text);
        EXPECT_EQ(o.file, c.file);
    }
}

TEST(ParseArguments, RejectsBadCommandLinesWithOneLine) {
    struct {
        Args args;
        std::string message;
    } cases[] = {
        {{"-v", "41"}, "the version must be 1..40, or 0 for the smallest that fits, not \"41\""},
        {{"-v-1"}, "the version must be 1..40, or 0 for the smallest that fits, not \"-1\""},
        {{"-v", "5x"}, "the version must be 1..40, or 0 for the smallest that fits, not \"5x\""},
        {{"--symversion="}, "the version must be 1..40, or 0 for the smallest that fits, not \"\""},
        {{"-v", " 5"}, "the version must be 1..40, or 0 for the smallest that fits, not \" 5\""},
        {{"-v", "99999999999"},
         "the version must be 1..40, or 0 for the smallest that fits, not \"99999999999\""},
        {{"-l", "X"}, "the level must be L, M, Q or H, not \"X\""},
        {{"-l", "LM"}, "the level must be L, M, Q or H, not \"LM\""},
        {{"--mode=kana"}, "the mode must be auto, numeric, alnum, byte or kanji, not \"kana\""},
        {{"--mask", "8"}, "the mask must be auto or 0..7, not \"8\""},
        {{"--mask=-1"}, "the mask must be auto or 0..7, not \"-1\""},
        {{"--count=0"}, "the count must be 1..1024, not \"0\""},
        {{"--count", "1025"}, "the count must be 1..1024, not \"1025\""},
        {{"--split=both"}, "the split must be single, connect or plus, not \"both\""},
        {{"-s", "0"}, "the size must be 1..10 pixels per module, not \"0\""},
        {{"--size=11"}, "the size must be 1..10 pixels per module, not \"11\""},
        {{"-t", "png"}, "the type must be PBM, UTF8 or ASCII, not \"png\""},
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"-x"}, "unknown option \"-x\""},
        {{"-hV"}, "unknown option \"-hV\""},
        {{"--sym=3"}, "unknown option \"--sym=3\""},
        {{"-v"}, "the option -v needs a value"},
        {{"abc", "--level"}, "the option --level needs a value"},
        {{"--help=yes"}, "the option --help takes no value"},
        {{"-o", ""}, "the output file name is empty"},
        {{"-r", ""}, "the input file name is empty"},
        {{"one", "two"}, "more than one data argument (\"one\", \"two\"); quote text that holds spaces"},
        {{"text", "-r", "file"}, "give the data either as TEXT or with -r FILE, not both"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        try {
            ParseArguments(c.args);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

TEST(ParseArguments, HelpAndVersionStopAtOnce) {
    EXPECT_TRUE(ParseArguments({"-h", "--bogus"}).help);
    EXPECT_TRUE(ParseArguments({"-l", "M", "--version", "a", "b"}).version);
    EXPECT_THROW(ParseArguments({"--bogus", "-h"}), UsageError); // an error before it still counts
    EXPECT_EQ(VersionText(), "zarvo-encode 0.1.0");
}

} // namespace
} // namespace zarvo::cli
