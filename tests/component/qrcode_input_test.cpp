// The data behind Code: the tilde notation both ways and the raw data files.
#include "component/qrcode.h"
#include "tests/component/qrcode_test_support.h"

#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::component {
namespace {

using qrtest::EventLog;

class DataFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    std::string Path(const char* name) const {
        return dir_.filePath(QString::fromLatin1(name)).toStdString();
    }
    std::string Write(const char* name, const std::string& bytes) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    QTemporaryDir dir_;
};

TEST(ParseCode, ReadsTheTildeNotation) {
    struct {
        bool binaryOperation;
        std::string code;
        std::string data;
        bool binary;
        bool binaryOperationAfter;
    } cases[] = {
        {true, "AB~0D0A~CD", "AB\r\nCD", false, true}, // CR and LF are no binary bytes
        {true, "~00ff~", std::string("\x00\xff", 2), true, true},
        {true, "x~~y", "x~y", false, true},
        {true, "~41~~42~", "AB", false, true}, // a search starts fresh after a closing tilde
        {true, "~~~1b~", "~\x1b", true, true},
        {true, "~7F~", "\x7f", false, true}, // 0x7F is no binary byte
        {true, "~090A0B~", "\t\n\x0b", true, true},
        {true, "a\x01z", "a\x01z", false, true},      // typed directly: copied, not binary
        {true, "\x83\x7E", "\x83\x7E", false, false}, // a trail byte 0x7E counts as a tilde: malformed
        {true, "~0~", "~0~", false, false},           // odd count
        {true, "~0D", "~0D", false, false},           // no closing tilde
        {true, "~0G~", "~0G~", false, false},         // not hexadecimal
        {true, "~00~~0~", "~00~~0~", false, false},   // the fallback drops what was already read
        {false, "~00~", "~00~", false, false},
        {true, "", "", false, true}, // empty: BinaryOperation stays on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.code));
        TQRCode q;
        q.SetSymbolEnabled(false);
        q.SetBinaryOperation(c.binaryOperation);
        q.SetCode(c.code);
        EXPECT_EQ(q.Data(), c.data);
        EXPECT_EQ(q.Len(), static_cast<int32_t>(c.data.size()));
        EXPECT_EQ(q.Binary(), c.binary);
        EXPECT_EQ(q.BinaryOperation(), c.binaryOperationAfter);
        EXPECT_EQ(q.Code(), c.code); // never rewritten
    }
}

TEST(ParseCode, BinaryOperationConvertsTheCodeAgainWithoutEvents) {
    TQRCode q;
    q.SetCode("~41~");
    EventLog log;
    log.Attach(q);
    q.SetBinaryOperation(true);
    EXPECT_EQ(q.Data(), "A");
    q.SetBinaryOperation(false);
    EXPECT_EQ(q.Data(), "~41~");
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"PaintSymbol", "PaintedSymbol", "PaintSymbol", "PaintedSymbol"}));
}

TEST_F(DataFiles, LoadingRebuildsTheCodeInTildeNotation) {
    struct {
        std::string bytes;
        bool binaryOperationBefore;
        std::string code;
        bool binary;
        bool binaryOperationAfter;
    } cases[] = {
        {"plain text", false, "plain text", false, false},
        {"plain text", true, "plain text", false, true},
        {"esc \x1b[0m", false, "esc ~1B~[0m", true, true},
        {std::string("A\x00\x01~\r", 5), false, "A~0001~~~\r", true, true},
        {"\x1f~~", false, "~1F~~~~~", true, true},
        {"tilde ~ kept", false, "tilde ~ kept", false, false},
        // With the notation on, tildes are doubled so the text reads back as the same bytes
        {"~41~", true, "~~41~~", false, true},
        {"x~~y", true, "x~~~~y", false, true},
        {"", true, "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        TQRCode q;
        q.SetBinaryOperation(c.binaryOperationBefore);
        q.SetCode("before");
        EventLog log;
        log.Attach(q);
        q.LoadDataFromFile(Write("data.bin", c.bytes));
        EXPECT_EQ(q.Data(), c.bytes);
        EXPECT_EQ(q.Code(), c.code);
        EXPECT_EQ(q.Binary(), c.binary);
        EXPECT_EQ(q.BinaryOperation(), c.binaryOperationAfter);
        // drawn, but no Code event
        EXPECT_EQ(log.events, (std::vector<std::string>{"PaintSymbol", "PaintedSymbol"}));

        // and the text gives the same bytes again
        q.SetCode(q.Code());
        EXPECT_EQ(q.Data(), c.bytes);
    }
}

TEST_F(DataFiles, EveryLoadedTextReadsBackAsTheSameBytes) {
    std::mt19937 random(20240611);
    // tildes, binary bytes, CR/LF/TAB, lead bytes and a lead byte's tilde trail
    const char kAlphabet[] = "~~~\x00\x01\x1b\x1f\r\n\tA0\x81\x7e\x83\x9f\xe0\xfc\x7f\xff";
    const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
    for (int round = 0; round < 400; ++round) {
        std::string bytes(random() % 40, '\0');
        for (char& b : bytes)
            b = round % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random() & 0xFF);
        SCOPED_TRACE(testing::PrintToString(bytes));
        for (bool binaryOperation : {false, true}) {
            TQRCode q;
            q.SetSymbolEnabled(false);
            q.SetBinaryOperation(binaryOperation);
            q.LoadDataFromFile(Write("random.bin", bytes));
            ASSERT_EQ(q.Data(), bytes);
            const std::string code = q.Code();
            q.SetCode(code);
            ASSERT_EQ(q.Data(), bytes) << "code " << testing::PrintToString(code);
        }
    }
}

TEST_F(DataFiles, LoadingWhatCannotBeReadChangesNothing) {
    const std::string dir = Path("");
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // a sparse file one byte over the data's limit
    const std::string large = Path("large.bin");
    {
        std::FILE* f = std::fopen(large.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(f), off_t{INT32_MAX} + 1), 0);
        std::fclose(f);
    }
    struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir, "not a regular file"},
        {fifo, "not a regular file"}, // would never end
        {"/dev/zero", "not a regular file"},
        {large, "larger than 2147483647 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TQRCode q;
        q.SetCode("kept");
        EventLog log;
        log.Attach(q);
        try {
            q.LoadDataFromFile(c.path);
            ADD_FAILURE() << "loaded";
        } catch (const DataFileError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.path), std::string::npos) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
        EXPECT_EQ(q.Data(), "kept");
        EXPECT_EQ(q.Code(), "kept");
        EXPECT_TRUE(log.events.empty());
    }

    // A missing file: nothing at all
    TQRCode q;
    q.SetCode("kept");
    EventLog log;
    log.Attach(q);
    q.LoadDataFromFile(Path("missing.bin"));
    q.LoadDataFromFile(Path("missing-dir/file.bin"));
    EXPECT_EQ(q.Code(), "kept");
    EXPECT_TRUE(log.events.empty());
}

TEST_F(DataFiles, SavingWritesExactlyTheDataBytes) {
    TQRCode q;
    q.SetBinaryOperation(true);
    q.SetCode("A~00FF1B~~~\r\n");
    const std::string path = Path("out.bin");
    q.SaveDataToFile(path);
    EXPECT_EQ(Read(path), std::string("A\x00\xff\x1b~\r\n", 7));

    // an existing file is replaced, keeping its permissions; a link is followed
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string link = Path("link.bin");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    q.SetCode("short");
    q.SaveDataToFile(link);
    EXPECT_EQ(Read(path), "short");
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    TQRCode loaded;
    loaded.LoadDataFromFile(path);
    EXPECT_EQ(loaded.Data(), "short");

    // Refused without touching the file: a pipe nobody reads would block the window for ever
    const std::string readOnly = Path("read-only.bin");
    { std::ofstream(readOnly) << "kept"; }
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    const int reader = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK); // a fault fails, not hangs
    const struct {
        std::string path;
        const char* reason;
    } refused[] = {
        {Path("no-such-dir/out.bin"), "No such file or directory"},
        {Path(""), "Is a directory"},
        {readOnly, "Permission denied"},
        {Path("fifo"), "not a regular file"},
    };
    for (const auto& c : refused) {
        try {
            q.SaveDataToFile(c.path);
            ADD_FAILURE() << c.path << ": saved";
        } catch (const DataFileError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write \"" + c.path + "\": " + c.reason);
        }
    }
    EXPECT_EQ(Read(readOnly), "kept");
    ::close(reader);
}

} // namespace
} // namespace zarvo::component
