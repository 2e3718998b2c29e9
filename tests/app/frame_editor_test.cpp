// The editor pane in a user's hands: typing, QR and Add, and data files opened and saved as bytes.
#include "tests/app/frame_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

namespace frametest {
namespace {

using Texts = std::vector<QString>;

class FrameEditor : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        form->resize(900, 500); // the editor pane comes into sight
        AddItem(U("A"));
        TypeInto("ComboBox7", U("Aの上"));
        Enter("ComboBox7");
        AddItem(U("B"));
    }
    const zarvo::component::TQRCode& Qr() { return form->QRCode1(); }
    bool Enabled(const char* button) { return Find<QPushButton>(button)->isEnabled(); }
    // Opens a file through the editor's Open command.
    void Open(const QString& path) {
        dialogs.nextPaths.push_back(path);
        Click("Button14");
    }
};

TEST_F(FrameEditor, TypedLinesAreDrawnByQrAndStoredByAddWithTheCommentsTyped) {
    Pick("ComboBox1", 0);
    Type(Find<QWidget>("Memo1"), U("line 1\nライン 2"));
    // the text leaves the item: the boxes show it, the comments clear, the symbol waits for QR
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), U("line 1\u21B5ライン 2"));
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), QString());
    EXPECT_EQ(Qr().Code(), "A");
    EXPECT_TRUE(Enabled("Button13") && Enabled("Button16"));

    Click("Button13");
    // the editor's line ends are CR LF in the data, as earlier installations wrote them
    EXPECT_EQ(Qr().Code(), S("line 1\r\nライン 2"));
    EXPECT_EQ(Qr().CommentUp(), "");
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (new 3)"));
    EXPECT_EQ(form->List().Count(), 2);
    EXPECT_FALSE(Enabled("Button13"));
    EXPECT_TRUE(Enabled("Button16"));

    TypeInto("ComboBox8", U("下の注"));
    Click("Button16");
    ASSERT_EQ(form->List().Count(), 3);
    EXPECT_EQ(form->List().Code(1), S("line 1\r\nライン 2")); // after the current item
    EXPECT_EQ(form->List().Down(1), S("下の注"));
    EXPECT_EQ(Qr().CommentDown(), S("下の注"));
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (2 of 3)"));
    EXPECT_FALSE(Enabled("Button16"));
}

TEST_F(FrameEditor, QrOnAStoredTextSelectsItWithItsComments) {
    Type(Find<QWidget>("Memo1"), U("A"));
    Click("Button13");
    EXPECT_EQ(form->List().Count(), 2);
    EXPECT_EQ(form->CurrentIndex, 0);
    EXPECT_EQ(Qr().CommentUp(), S("Aの上"));
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), U("Aの上"));
    EXPECT_FALSE(Enabled("Button13") || Enabled("Button16"));

    // and a text Shift-JIS cannot hold is refused with nothing drawn
    Type(Find<QWidget>("Memo1"), U("\U0001F600"));
    Click("Button16");
    EXPECT_EQ(form->List().Count(), 2);
    EXPECT_EQ(Qr().Code(), "A");
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_TRUE(dialogs.shown.back().contains(U("Shift-JIS")));
}

TEST_F(FrameEditor, AnOpenedFileIsSavedByteForByteUnderItsOwnName) {
    const std::string bytes("AB\x1B\x00~CD\r\n", 9);
    WriteBytes(Path("data file.bin"), bytes);
    Click("Button15"); // nothing opened yet: the proposed name
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].FileName, U("Sample.dat"));

    Open(Path("data file.bin"));
    EXPECT_EQ(dialogs.fileRequests.back().Filter, U("全てのファイル(*.*)|*.*"));
    EXPECT_EQ(Qr().Data(), bytes);
    EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked()); // control codes: binary notation
    EXPECT_EQ(Text("Panel9"), U("Binary Data"));
    EXPECT_EQ(Text("Label10"), U("data file.bin 9 Bytes"));
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (new 3)"));
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(), U("AB~1B00~~~CD\n"));
    EXPECT_FALSE(Enabled("Button13"));
    EXPECT_TRUE(Enabled("Button16"));
    EXPECT_EQ(form->OpenDir, QFile::encodeName(dir.path()).toStdString());

    dialogs.nextPaths.push_back(Path("copy.bin"));
    Click("Button15");
    const zarvo::shared::FileDialogRequest& save = dialogs.fileRequests.back();
    EXPECT_EQ(save.FileName, U("data")); // the name before its first blank
    EXPECT_EQ(save.FilterIndex, 4);
    EXPECT_TRUE(save.OverwritePrompt);
    EXPECT_TRUE(save.DefaultExtension.isEmpty());
    EXPECT_EQ(ReadBytes(Path("copy.bin")), bytes);
    EXPECT_EQ(form->SaveSDir, form->OpenDir);

    // an empty file is void data of 0 bytes
    WriteBytes(Path("empty"), "");
    Open(Path("empty"));
    EXPECT_EQ(Qr().Len(), 0);
    EXPECT_EQ(Text("Panel9"), U("Void Data"));
    EXPECT_EQ(Text("Label10"), U("empty 0 Bytes"));

    // a file holding a stored text selects its item, with its comments
    WriteBytes(Path("a.txt"), "A");
    Open(Path("a.txt"));
    EXPECT_EQ(form->CurrentIndex, 0);
    EXPECT_EQ(Qr().CommentUp(), S("Aの上"));
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (1 of 2)"));
    EXPECT_FALSE(Enabled("Button16"));
}

TEST_F(FrameEditor, AFileThatCannotBeLoadedIsReportedAndChangesNothing) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo")).constData(), 0600), 0);
    {
        // 2^31 bytes, sparse: one byte over the largest data
        std::ofstream big(QFile::encodeName(Path("big")).toStdString(), std::ios::binary);
        big.seekp((int64_t{1} << 31) - 1);
        big.put('x');
    }
    const struct {
        const char* name;
        const char* reason; // in the message
    } cases[] = {
        {"vanished", "見つかりません"}, // gone between the dialog and the load
        {"fifo", "not a regular file"},
        {"big", "larger than"},
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        Open(Path(c.name));
        ASSERT_EQ(dialogs.shown.size(), 1u) << c.name;
        EXPECT_TRUE(dialogs.shown[0].contains(U(c.reason))) << dialogs.shown[0].toStdString();
        EXPECT_EQ(Qr().Code(), "B") << c.name;
        EXPECT_TRUE(Qr().SymbolEnabled()) << c.name;
        EXPECT_EQ(Text("Label10"), U("シンボル文字列")) << c.name;
        EXPECT_TRUE(form->OpenDir.empty()) << c.name;
    }
    ::unlink(QFile::encodeName(Path("big")).constData());
}

} // namespace
} // namespace frametest
