#include "cli/options.h"

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
    EXPECT_FALSE(o.binary);
    EXPECT_EQ(o.angle, 0);
    EXPECT_FALSE(o.reverse);
    EXPECT_EQ(o.numbering, component::nbrNone); // numbers would cover the neighbours without spaces
    EXPECT_FALSE(o.column);
    EXPECT_EQ(o.spaces, Spaces{});
    EXPECT_FALSE(o.foreground);
    EXPECT_FALSE(o.background);
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

TEST(ParseArguments, TakesThePictureOptions) {
    struct {
        Args args;
        OutputType type;
    } types[] = {
        {{"-t", "bmp"}, OutputType::Bmp},   {{"-tJPEG"}, OutputType::Jpeg},
        {{"--type=jpg"}, OutputType::Jpeg}, {{"-t", "Png"}, OutputType::Png},
        {{"-t", "svg"}, OutputType::Svg},   {{"-t", "EMF"}, OutputType::Emf},
        {{"-t", "wmf"}, OutputType::Wmf},
    };
    for (const auto& c : types) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(ParseArguments(c.args).type, c.type);
    }

    struct {
        Args args;
        int32_t angle;
    } angles[] = {
        {{"--angle", "0"}, 0}, {{"--angle=90"}, 90}, {{"--angle", "180"}, 180}, {{"--angle=270"}, 270}};
    for (const auto& c : angles)
        EXPECT_EQ(ParseArguments(c.args).angle, c.angle);

    struct {
        Args args;
        component::TNumbering numbering;
    } numberings[] = {
        {{"--numbering=none"}, component::nbrNone},
        {{"--numbering", "head"}, component::nbrHead},
        {{"--numbering=TAIL"}, component::nbrTail},
        {{"--numbering=ifvoid"}, component::nbrIfVoid},
    };
    for (const auto& c : numberings)
        EXPECT_EQ(ParseArguments(c.args).numbering, c.numbering);

    // Colours are RRGGBB on the command line and 0x00BBGGRR in the component
    struct {
        std::string value;
        component::TColor color;
    } colors[] = {
        {"FF0000", 0x0000FF}, {"00ff00", 0x00FF00}, {"#0000FF", 0xFF0000},
        {"123456", 0x563412}, {"000000", 0},
    };
    for (const auto& c : colors) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ParseArguments({"--foreground", c.value}).foreground, c.color);
        EXPECT_EQ(ParseArguments({"--background=" + c.value}).background, c.color);
    }

    struct {
        std::string value;
        Spaces spaces;
    } spaces[] = {
        {"10,20,30,40", {10, 20, 30, 40}},
        {"0,0,0,0", {0, 0, 0, 0}},
        {"16", {16, 16, 16, 16}},
        {"10000,0,1,2", {10000, 0, 1, 2}},
    };
    for (const auto& c : spaces) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ParseArguments({"--spaces", c.value}).spaces, c.spaces);
    }

    const Options o = ParseArguments(
        {"--binary", "--reverse", "--column=2", "--comment-up", "上 the top", "--comment-down=", "data"});
    EXPECT_TRUE(o.binary);
    EXPECT_TRUE(o.reverse);
    EXPECT_EQ(o.column, 2);
    EXPECT_EQ(o.commentUp, "上 the top");
    EXPECT_EQ(o.commentDown, "");
    EXPECT_EQ(o.text, "data");
    EXPECT_EQ(ParseArguments({"--comment-down", "-x"}).commentDown, "-x"); // a value, not an option
    EXPECT_EQ(ParseArguments({"--column", "1024"}).column, 1024);
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
        {{"-t", "gif"}, "the type must be PBM, UTF8, ASCII, BMP, JPEG, PNG, SVG, EMF or WMF, not \"gif\""},
        {{"--angle", "45"}, "the angle must be 0, 90, 180 or 270, not \"45\""},
        {{"--angle=-90"}, "the angle must be 0, 90, 180 or 270, not \"-90\""},
        {{"--angle=360"}, "the angle must be 0, 90, 180 or 270, not \"360\""},
        {{"--numbering=both"}, "the numbering must be none, head, tail or ifvoid, not \"both\""},
        {{"--column=0"}, "the column count must be 1..1024, not \"0\""},
        {{"--column", "1025"}, "the column count must be 1..1024, not \"1025\""},
        {{"--spaces", "1,2,3"},
         "the spaces must be UP,DOWN,LEFT,RIGHT (or one for all four), each 0..10000 pixels, not \"1,2,3\""},
        {{"--spaces=1,2,3,4,5"},
         "the spaces must be UP,DOWN,LEFT,RIGHT (or one for all four), each 0..10000 pixels, not "
         "\"1,2,3,4,5\""},
        {{"--spaces=-1,0,0,0"},
         "the spaces must be UP,DOWN,LEFT,RIGHT (or one for all four), each 0..10000 pixels, not "
         "\"-1,0,0,0\""},
        {{"--spaces=1,,3,4"},
         "the spaces must be UP,DOWN,LEFT,RIGHT (or one for all four), each 0..10000 pixels, not \"1,,3,4\""},
        {{"--spaces=10001"},
         "the spaces must be UP,DOWN,LEFT,RIGHT (or one for all four), each 0..10000 pixels, not \"10001\""},
        {{"--foreground", "F00"}, "the foreground colour must be six hexadecimal digits RRGGBB, not \"F00\""},
        {{"--background=12345G"},
         "the background colour must be six hexadecimal digits RRGGBB, not \"12345G\""},
        {{"--background=0x123456"},
         "the background colour must be six hexadecimal digits RRGGBB, not \"0x123456\""},
        {{"--binary=yes"}, "the option --binary takes no value"},
        {{"--reverse=1"}, "the option --reverse takes no value"},
        {{"--comment-up"}, "the option --comment-up needs a value"},
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
