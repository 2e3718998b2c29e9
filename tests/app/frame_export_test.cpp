// The symbol taken out (image files, the clipboard) and text taken in (paste, the watch's switch),
// through the window's buttons.
#include "tests/app/frame_test_support.h"
#include "tests/component/symbol_picture.h"

namespace frametest {
namespace {

using zarvo::component::picture_test::BytesOf;
using zarvo::component::picture_test::ZxingBytes;

class FrameExport : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        EnterNumber("Edit1", 3); // modules large enough for the reader
        AddItem(U("A"));
        AddItem(U("ZARVO 1"));
    }
    const zarvo::component::TQRCode& Qr() { return form->QRCode1(); }
    void SaveImage(const QString& path) {
        dialogs.nextPaths.push_back(path);
        Click("Button4");
    }
};

TEST_F(FrameExport, TheCopyMethodDecidesTheFileAndABitmapFollowsTheName) {
    const struct {
        int copyMethod; // entry of ComboBox6
        const char* name;
        const char* format; // as read back; empty: by its signature only
        std::string signature;
        size_t at;
    } cases[] = {
        {0, "a.bmp", "BMP", "BM", 0},
        {0, "b.JPG", "JPEG", "\xFF\xD8\xFF", 0}, // the extension in capitals too
        {0, "c.jpeg", "JPEG", "\xFF\xD8\xFF", 0},
        {0, "d.png", "PNG", "\x89PNG", 0},
        {0, "e.svg", "", "<?xml", 0},
        {0, "f.emf", "BMP", "BM", 0},            // not the name: the copy method
        {1, "g.jpg", "", " EMF", 40},            // an enhanced metafile, whatever the name
        {2, "h.bmp", "", "\xD7\xCD\xC6\x9A", 0}, // a placeable Windows metafile
    };
    const char* const proposed[] = {"Zarvo.bmp", "Zarvo.emf", "Zarvo.wmf"};
    for (const auto& c : cases) {
        Pick("ComboBox6", c.copyMethod);
        SaveImage(Path(c.name));
        const zarvo::shared::FileDialogRequest& request = dialogs.fileRequests.back();
        EXPECT_EQ(request.FilterIndex, c.copyMethod + 1) << c.name;
        EXPECT_EQ(request.FileName, QString::fromLatin1(proposed[c.copyMethod])) << c.name;
        EXPECT_EQ(request.DefaultExtension, QStringLiteral("bmp"));
        EXPECT_TRUE(request.OverwritePrompt);
        const std::string file = ReadBytes(Path(c.name));
        EXPECT_EQ(file.substr(c.at, c.signature.size()), c.signature) << c.name;
        if (*c.format) {
            const QImage image = QImage::fromData(QByteArray::fromStdString(file), c.format);
            EXPECT_EQ(ZxingBytes(image), BytesOf("ZARVO 1")) << c.name;
        }
    }
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form->SaveDir, QFile::encodeName(dir.path()).toStdString());

    // what is saved is what the editor shows, drawn first
    Pick("ComboBox6", 0);
    form->resize(900, 500);
    Type(Find<QWidget>("Memo1"), U("EDITED"));
    SaveImage(Path("edited.bmp"));
    EXPECT_EQ(ZxingBytes(QImage(Path("edited.bmp"))), BytesOf("EDITED"));
    EXPECT_EQ(Qr().Code(), "EDITED");
}

TEST_F(FrameExport, NothingIsSavedOrCopiedWithoutASymbolOrWhereTheFileCannotBeWritten) {
    Click("Button3");
    EXPECT_TRUE(clipboard->formats.contains(QStringLiteral("image/png")));
    clipboard->formats.clear();
    SaveImage(dir.path() + QStringLiteral("/missing/x.bmp"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].contains(U("保存できません")));
    EXPECT_TRUE(form->SaveDir.empty());

    EnterNumber("Edit2", 1);
    TypeInto("ComboBox1", QString(40, QLatin1Char('x'))); // too long for version 1
    Key(Qt::Key_Return);
    ASSERT_FALSE(Qr().SymbolDisped());
    const size_t asked = dialogs.fileRequests.size();
    Click("Button4");
    Click("Button3");
    EXPECT_EQ(dialogs.fileRequests.size(), asked); // no dialog at all
    EXPECT_TRUE(clipboard->formats.isEmpty());
}

TEST_F(FrameExport, PasteStoresANewTextOrSelectsAStoredOneAndRefusesWhatItCannotHold) {
    Pick("ComboBox1", 0);
    TypeInto("ComboBox7", U("Aの上"));
    Enter("ComboBox7");

    clipboard->OtherProgramCopies(U("貼った\n2行目"));
    Click("Button12");
    ASSERT_EQ(form->List().Count(), 3);
    EXPECT_EQ(form->List().Code(1), S("貼った\r\n2行目")); // after the current item
    EXPECT_EQ(form->List().Up(1), "");
    EXPECT_EQ(form->CurrentIndex, 1);
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(), U("貼った\n2行目"));

    clipboard->OtherProgramCopies(U("A"));
    Click("Button12");
    EXPECT_EQ(form->List().Count(), 3);
    EXPECT_EQ(form->CurrentIndex, 0);
    EXPECT_EQ(Qr().CommentUp(), ""); // drawn without comments until picked again

    // nothing taken: the symbol as it was, drawn, with its comments, and the user told why
    Pick("ComboBox1", 2);
    Pick("ComboBox1", 0);
    for (const QString& text : {U("caf\u00E9"), QString()}) {
        dialogs.shown.clear();
        clipboard->OtherProgramCopies(text);
        Click("Button12");
        EXPECT_TRUE(Qr().SymbolEnabled());
        EXPECT_TRUE(Qr().SymbolDisped());
        EXPECT_EQ(Qr().Code(), "A");
        EXPECT_EQ(Qr().CommentUp(), S("Aの上"));
        EXPECT_EQ(form->List().Count(), 3);
        EXPECT_EQ(dialogs.shown.size(), text.isEmpty() ? 0u : 1u);
    }

    // paste waits while the watch takes every copy
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    EXPECT_FALSE(Find<QPushButton>("Button12")->isEnabled());
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    EXPECT_TRUE(Find<QPushButton>("Button12")->isEnabled());
    EXPECT_FALSE(Qr().ClipWatch());
}

} // namespace
} // namespace frametest
