#include "param/param.h"
#include "shared/filewrite.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace zarvo::param;
namespace fs = std::filesystem;

namespace {

// "符号化モード" (encoding mode)
const std::string kModeKey = "\x95\x84\x8D\x86\x89\xBB\x83\x82\x81\x5B\x83\x68";
// "ア" and "ヂ": the same lead byte, trail bytes 'A' and 'a'
const std::string kKatakanaA = "\x83\x41";
const std::string kKatakanaDi = "\x83\x61";

std::vector<std::string> LinesOf(const TParameter& p) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < p.Count(); ++i)
        lines.push_back(p.Lines(i));
    return lines;
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

template <typename E, typename F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "param_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // A store whose FullName is dir_/name.
    TParameter StoreFor(const std::string& name) const {
        TParameter p;
        p.SetDir(dir_);
        p.SetFileName(name);
        return p;
    }

    std::string dir_;
};

} // namespace

TEST(ParamPathTest, DirectoryPart) {
    const struct {
        const char* path;
        const char* dir;
    } cases[] = {
        {"/opt/zarvo/zarvo", "/opt/zarvo"},
        {"/prog", "/"},
        {"prog", ""},
        {"", ""},
        {"bin/prog", "bin"},
        {"//prog", "/"},
        {"/a//prog", "/a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractDir(c.path), c.dir) << c.path;
}

TEST(ParamPathTest, NamesFollowTheProgram) {
    const struct {
        const char* exe;
        const char* dir;
        const char* file;
        const char* full;
    } cases[] = {
        {"/opt/zarvo/zarvo", "/opt/zarvo", "zarvo.ini", "/opt/zarvo/zarvo.ini"},
        {"/prog.bin", "/", "prog.ini", "/prog.ini"}, // root: no doubled "/"
        {"/opt/v1.2/zarvo", "/opt/v1.2", "zarvo.ini", "/opt/v1.2/zarvo.ini"},
        {"/opt/zarvo.app.exe", "/opt", "zarvo.app.ini", "/opt/zarvo.app.ini"},
        {"zarvo", "", "zarvo.ini", ""}, // no directory, no file
    };
    for (const auto& c : cases) {
        TParameter p;
        p.SetExeName(c.exe);
        EXPECT_EQ(p.Dir(), c.dir) << c.exe;
        EXPECT_EQ(p.FileName(), c.file) << c.exe;
        EXPECT_EQ(p.FullName(), c.full) << c.exe;
    }
}

TEST(ParamPathTest, SettersKeepOrRestoreDefaults) {
    TParameter p;
    p.SetDir("/etc/");
    p.SetFileName("my.ini");
    p.SetExeName("/opt/zarvo/zarvo");
    EXPECT_EQ(p.FullName(), "/etc/my.ini"); // set names win over the program's
    p.SetDir("");
    p.SetFileName("");
    EXPECT_EQ(p.FullName(), "/opt/zarvo/zarvo.ini");

    TParameter bare; // without a program "" is stored as it is
    bare.SetDir("/tmp");
    bare.SetDir("");
    EXPECT_EQ(bare.Dir(), "");
    EXPECT_EQ(bare.FullName(), "");
    EXPECT_NO_THROW(bare.Save());
}

TEST(ParamKeyTest, NamesMatchIgnoringAsciiCaseOnly) {
    TParameter p;
    p.Add("Header line without equals");
    p.WriteString("FontName", "Gothic");
    p.WriteInteger(kModeKey, 2);
    p.WriteString("X" + kKatakanaA, "A");
    p.WriteString("Y\x83", "lone lead byte");

    EXPECT_EQ(p.ReadString("fontname"), "Gothic");
    EXPECT_EQ(p.ReadString("FONTNAME"), "Gothic");
    EXPECT_EQ(p.ReadInteger(kModeKey), 2);
    EXPECT_EQ(p.ReadString("x" + kKatakanaA), "A");
    EXPECT_EQ(p.ReadString("y\x83"), "lone lead byte");
    // A folding compare would take "ヂ" for "ア"
    EXPECT_THROW(p.ReadString("X" + kKatakanaDi), EValueName);
    EXPECT_THROW(p.ReadString("Header line without equals"), EValueName);

    // Rewritten in place, in the letter case of the write
    p.WriteString("FONTNAME", "Mincho");
    EXPECT_EQ(p.Lines(1), "FONTNAME=Mincho");
    EXPECT_EQ(p.Count(), 5);
    p.WriteString("X" + kKatakanaDi, "D");
    EXPECT_EQ(p.Count(), 6);
    EXPECT_EQ(p.ReadString("X" + kKatakanaA), "A");
}

TEST(ParamKeyTest, FirstKeyLineWinsAndValueIsAfterFirstEquals) {
    TParameter p;
    p.Add("Key=a=b");
    p.Add("key=second");
    EXPECT_EQ(p.ReadString("KEY"), "a=b");
    p.WriteString("kEY", "new");
    EXPECT_EQ(LinesOf(p), (std::vector<std::string>{"kEY=new", "key=second"}));
}

TEST(ParamStringTest, EmptyValuesAndMissingKeys) {
    TParameter p;
    p.WriteString("Dir", "");
    EXPECT_EQ(p.Lines(0), "Dir=\x1A");
    EXPECT_EQ(p.ReadString("Dir"), "");

    p.Add("Cut=");
    p.Add("Marked=\x1A\x1A");
    EXPECT_EQ(MessageOf<EValueName>([&] { p.ReadString("Cut"); }), "Name 'Cut' is not found in parameters.");
    EXPECT_EQ(MessageOf<EValueName>([&] { p.ReadString("None"); }),
              "Name 'None' is not found in parameters.");
    EXPECT_EQ(p.ReadString("Marked"), "\x1A\x1A"); // only the single marker byte means ""
    // A stored "" is no integer
    EXPECT_EQ(MessageOf<EConvertError>([&] { p.ReadInteger("Dir"); }),
              "'' \x82\xCD\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
}

TEST(ParamStringTest, RefusesTextThatWouldSplitTheLine) {
    const struct {
        std::string name, value;
    } cases[] = {
        {"Search", "a\r\nb"}, {"Search", "a\nb"}, {"Search", "a\r"}, {"Search", std::string("a\0b", 3)},
        {"Se\narch", "x"},    {"Se=arch", "x"},
    };
    for (const auto& c : cases) {
        TParameter p;
        p.WriteString("Search", "old");
        p.Add("Other=1");
        const std::vector<std::string> before = LinesOf(p);
        const std::string message = MessageOf<EValueText>([&] { p.WriteString(c.name, c.value); });
        EXPECT_NE(message.find("'" + c.name + "'"), std::string::npos) << message;
        EXPECT_EQ(LinesOf(p), before);
    }
}

TEST(ParamIntegerTest, ConvertsIntegerTexts) {
    const struct {
        const char* text;
        int32_t value;
    } good[] = {
        {"0", 0},
        {"42", 42},
        {"-7", -7},
        {"+5", 5},
        {" \t 12", 12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$FF", 255},
        {"0x1f", 31},
        {"0XAbC", 0xABC},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"-$10", -16},
        {"$000000001", 1},
        {"-16777216", -16777216},
    };
    for (const auto& c : good) {
        TParameter p;
        p.WriteString("N", c.text);
        EXPECT_EQ(p.ReadInteger("N"), c.value) << c.text;
    }

    const char* const bad[] = {
        " ",   "-",          "+",           "$",          "0x",         "12a",
        "12 ", "1.5",        "1e3",         "- 5",        "0b1",        "$G",
        "x10", "2147483648", "-2147483649", "4294967296", "$100000000", "99999999999999999999999"};
    for (const char* text : bad) {
        TParameter p;
        p.WriteString("N", text);
        EXPECT_EQ(MessageOf<EConvertError>([&] { p.ReadInteger("N"); }),
                  std::string("'") + text +
                      "' \x82\xCD\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
    }
}

TEST(ParamIntegerTest, WrittenIntegersReadBack) {
    const int32_t values[] = {0, 1, -1, 2000, -2147483640, INT32_MAX, INT32_MIN};
    for (int32_t v : values) {
        TParameter p;
        p.WriteInteger("V", v);
        EXPECT_EQ(p.Lines(0), "V=" + std::to_string(v));
        EXPECT_EQ(p.ReadInteger("V"), v);
    }
}

TEST(ParamBoolTest, OnlyExactTrueAndFalse) {
    TParameter p;
    p.WriteBool("On", true);
    p.WriteBool("Off", false);
    EXPECT_EQ(LinesOf(p), (std::vector<std::string>{"On=True", "Off=False"}));
    EXPECT_TRUE(p.ReadBool("on"));
    EXPECT_FALSE(p.ReadBool("OFF"));

    const char* const bad[] = {"true", "FALSE", "1", " True", "True "};
    for (const char* text : bad) {
        p.WriteString(kModeKey, text);
        EXPECT_EQ(MessageOf<EValueName>([&] { p.ReadBool(kModeKey); }),
                  "Value of " + kModeKey + " '" + text + "' is not Boolean Type.");
    }
}

TEST(ParamFontStyleTest, BracketedListRoundTrips) {
    const struct {
        TFontStyles styles;
        const char* text;
    } cases[] = {
        {{}, "[]"},
        {{true, false, false, true}, "[fsBold,fsStrikeOut]"},
        {{false, true, true, false}, "[fsItalic,fsUnderline]"},
        {{true, true, true, true}, "[fsBold,fsItalic,fsUnderline,fsStrikeOut]"},
    };
    for (const auto& c : cases) {
        TParameter p;
        p.WriteFontStyle("FontStyle", c.styles);
        EXPECT_EQ(p.Lines(0), std::string("FontStyle=") + c.text);
        EXPECT_EQ(p.ReadFontStyle("FontStyle"), c.styles) << c.text;
    }

    TParameter p; // names count wherever they stand, with their letter case
    p.WriteString("S", "fsUnderline; fsbold xfsItalicx");
    EXPECT_EQ(p.ReadFontStyle("S"), (TFontStyles{false, true, true, false}));
    p.WriteString("S", "");
    EXPECT_EQ(p.ReadFontStyle("S"), TFontStyles{});
}

TEST(ParamLinesTest, BadIndexesNameTheRange) {
    TParameter p;
    EXPECT_EQ(MessageOf<ERangeError>([&] { p.Lines(-1); }), "-1 is not within the valid range of 0..-1");
    EXPECT_EQ(MessageOf<ERangeError>([&] { p.Delete(0); }), "0 is not within the valid range of 0..-1");
    EXPECT_EQ(MessageOf<ERangeError>([&] { p.Insert(1, "x"); }), "1 is not within the valid range of 0..0");

    EXPECT_EQ(p.Add("b"), 0);
    p.Insert(0, "a");
    p.Insert(2, "c"); // at the end
    EXPECT_EQ(LinesOf(p), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(MessageOf<ERangeError>([&] { p.Lines(3); }), "3 is not within the valid range of 0..2");
    p.Delete(1);
    EXPECT_EQ(LinesOf(p), (std::vector<std::string>{"a", "c"}));
    p.Clear();
    EXPECT_EQ(p.GetCount(), 0);
}

TEST_F(ParamFileTest, LoadSplitsAtEveryLineEnd) {
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"a\r\n\r\nb\n", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {std::string("a\r\nb\0c\r\nd\r\n", 11), {"a", "b"}},
        {std::string("\0a", 2), {}},
        {"K=\x83\x41\x1A\r\n", {"K=\x83\x41\x1A"}},
    };
    for (const auto& c : cases) {
        WriteFile(Path("zarvo.ini"), c.bytes);
        TParameter p = StoreFor("zarvo.ini");
        p.Add("replaced");
        p.Load();
        EXPECT_EQ(LinesOf(p), c.lines);
    }
}

TEST_F(ParamFileTest, OpenReadsTheFileBesideTheProgram) {
    WriteFile(Path("zarvo.ini"), "Header\r\nVersion=7\r\n");
    TParameter p;
    p.Open(Path("zarvo"));
    EXPECT_EQ(p.FullName(), Path("zarvo.ini"));
    EXPECT_EQ(p.ReadInteger("version"), 7);

    TParameter none;
    none.Open("");
    EXPECT_EQ(none.ExeName(), "");
    EXPECT_EQ(none.FullName(), "");
}

TEST_F(ParamFileTest, MissingFileKeepsLines) {
    const char* const names[] = {"absent.ini", "no/such/dir.ini"};
    for (const char* name : names) {
        TParameter p = StoreFor(name);
        p.Add("kept");
        p.Load();
        EXPECT_EQ(LinesOf(p), std::vector<std::string>{"kept"}) << name;
    }
}

TEST_F(ParamFileTest, SaveLoadRoundTripIsByteExact) {
    TParameter p = StoreFor("zarvo.ini");
    p.Add("Zarvo\x8A\xC2\x8B\xAB\x90\xDD\x92\xE8"); // "Zarvo環境設定"
    p.WriteInteger(kModeKey, -1);
    p.WriteString("OpenDir", "");
    p.WriteString("Bytes", "\x80\xA0\xFD\xFF\x7F\t ");
    p.WriteFontStyle("FontStyle", {true, false, false, true});
    p.Add("");
    p.Save();

    std::string expected;
    for (const std::string& line : LinesOf(p))
        expected += line + "\r\n";
    EXPECT_EQ(ReadFile(Path("zarvo.ini")), expected);

    TParameter q = StoreFor("zarvo.ini");
    q.Load();
    EXPECT_EQ(LinesOf(q), LinesOf(p));
    q.SetFileName("again.ini");
    q.Save();
    EXPECT_EQ(ReadFile(Path("again.ini")), expected);
}

TEST_F(ParamFileTest, FailedSaveLeavesTheOldFile) {
    // A name whose temporary sibling is too long fails even for root; permissions only bind others
    std::vector<std::string> names = {std::string(250, 'n') + ".ini"};
    if (::geteuid() != 0)
        names.push_back("locked/zarvo.ini");
    fs::create_directory(Path("locked"));

    for (const std::string& name : names) {
        WriteFile(Path(name), "Old=1\r\n");
        fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
        TParameter p = StoreFor(name);
        p.WriteInteger("New", 2);
        const std::string message = MessageOf<zarvo::shared::FileWriteError>([&] { p.Save(); });
        EXPECT_EQ(message.rfind("cannot write \"" + Path(name) + "\": ", 0), 0u) << message;
        EXPECT_EQ(ReadFile(Path(name)), "Old=1\r\n");
        fs::permissions(Path("locked"), fs::perms::owner_all);
    }
}

TEST_F(ParamFileTest, UnreadableFileIsReportedAndLinesKept) {
    fs::create_directory(Path("dir.ini")); // opens, but reading fails: also for root
    std::vector<std::string> names = {"dir.ini"};
    if (::geteuid() != 0) {
        WriteFile(Path("secret.ini"), "A=1\r\n");
        fs::permissions(Path("secret.ini"), fs::perms::none);
        names.push_back("secret.ini");
    }
    for (const std::string& name : names) {
        TParameter p = StoreFor(name);
        p.Add("kept");
        const std::string message = MessageOf<ParamFileError>([&] { p.Load(); });
        EXPECT_EQ(message.rfind("cannot read \"" + Path(name) + "\": ", 0), 0u) << message;
        EXPECT_EQ(LinesOf(p), std::vector<std::string>{"kept"});
    }
}

// A settings file damaged by hand or by another program: the file loads whole, every good key
// reads as written, and every bad one gives the store's own message, which names the key or quotes
// the value (a value of megabytes only by its start, so that a message box can show it).
TEST_F(ParamFileTest, ADamagedFileLoadsAndEachBadKeyGivesItsMessage) {
    const std::string notAnInteger = "\x82\xCD\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82"
                                     "\xB9\x82\xF1"; // は整数ではありません
    const std::string huge(10 * 1000 * 1000, '9');
    // The 100 bytes a long value is quoted by do not end inside a double-byte character
    std::string file = "Zarvo header line without equals\r\n";
    file += std::string(10 * 1000 * 1000, 'L') + "\r\n"; // a line of 10 MB without "="
    file += "Version=abc\r\n";
    file += "ClipWatch=true\r\n";
    file += "Huge=" + huge + "\r\n";
    file += "Overflow=2147483648\r\n";
    file += "Empty=\r\n";
    file += "NoEqualsHere\r\n";
    file += "Kana=x";
    for (int i = 0; i < 100; ++i)
        file += "\x83\x41";
    file += "\r\n";
    file += "Good=7\r\n";
    file += "Flag=False\r\n";
    WriteFile(Path("zarvo.ini"), file);

    TParameter p = StoreFor("zarvo.ini");
    p.Load();
    ASSERT_EQ(p.Count(), 11);
    EXPECT_EQ(p.Lines(1).size(), 10u * 1000 * 1000);

    enum Read { Integer, Boolean, String };
    std::string quotedKana = "x";
    for (int i = 0; i < 49; ++i) // 1 + 49 x 2 = 99 bytes: the next character would pass 100
        quotedKana += "\x83\x41";
    const struct {
        std::string key;
        Read read;
        std::string result; // the value read, or the message
    } cases[] = {
        {"Missing", Integer, "Name 'Missing' is not found in parameters."},
        {"Version", Integer, "'abc' " + notAnInteger},
        {"ClipWatch", Boolean, "Value of ClipWatch 'true' is not Boolean Type."},
        {"Huge", Integer, "'" + huge.substr(0, 100) + "...' " + notAnInteger},
        {"Huge", Boolean, "Value of Huge '" + huge.substr(0, 100) + "...' is not Boolean Type."},
        {"Overflow", Integer, "'2147483648' " + notAnInteger},
        {"Empty", String, "Name 'Empty' is not found in parameters."},
        {"NoEqualsHere", String, "Name 'NoEqualsHere' is not found in parameters."},
        {"Kana", Integer, "'" + quotedKana + "...' " + notAnInteger},
        {"Good", Integer, "7"},
        {"flag", Boolean, "False"},
    };
    for (const auto& c : cases) {
        std::string result;
        try {
            switch (c.read) {
            case Integer:
                result = std::to_string(p.ReadInteger(c.key));
                break;
            case Boolean:
                result = p.ReadBool(c.key) ? "True" : "False";
                break;
            case String:
                result = p.ReadString(c.key);
                break;
            }
        } catch (const std::exception& e) {
            result = e.what();
        }
        EXPECT_EQ(result, c.result) << c.key.substr(0, 20);
    }
    // The value a program may still want is kept whole
    try {
        p.ReadInteger("Huge");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Text(), huge);
    }

    // Saved back line for line, the damaged lines too
    p.WriteInteger("Version", 3);
    p.Save();
    std::string expected = file;
    expected.replace(expected.find("Version=abc"), 11, "Version=3");
    EXPECT_EQ(ReadFile(Path("zarvo.ini")), expected);
}
