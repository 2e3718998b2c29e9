// Runs of the program one after the other over the same directory: what the close writes and
// the next start finds, and starts over files that are damaged or cannot be written.
#include "app/mainsettings.h"
#include "datalist/datalistfiles.h"
#include "datalist/objectstream.h"
#include "tests/app/frame_test_support.h"

#include <new>

namespace frametest {
namespace {

using StartClose = FrameTest;

std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TEST_F(StartClose, AFirstRunWritesTheWholeSettingsFileAtClose) {
    Start();
    const QPoint at = form->pos();
    ASSERT_TRUE(Close());

    zarvo::param::TParameter expected;
    zarvo::app::MainSettings firstRun;
    firstRun.Left = at.x();
    firstRun.Top = at.y();
    firstRun.CurrentItem = -1; // no item
    zarvo::app::WriteMainSettings(expected, firstRun, false);
    std::vector<std::string> lines;
    for (int32_t i = 0; i < expected.Count(); ++i)
        lines.push_back(expected.Lines(i));
    EXPECT_EQ(Ini(), Crlf(lines));
    EXPECT_EQ(lines.size(), 1u + 4u + 34u + 19u);
    EXPECT_TRUE(dialogs.shown.empty());
    // an empty list is written as an empty set
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt")), "");
    EXPECT_EQ(ReadBytes(Path("Zarvo.dat")).substr(0, 4), "TPF0");
}

TEST_F(StartClose, TheNextStartFindsEverySettingAndTheList) {
    Start();
    AddItem(U("ONE"));
    TypeInto("ComboBox1", U("二つ目"));
    TypeInto("ComboBox7", U("上の一"));
    Enter("ComboBox1");
    Pick("ComboBox1", 0);
    Pick("ComboBox2", 3);
    Pick("ComboBox3", 2);
    Pick("ComboBox4", 4);
    Pick("ComboBox6", 2);
    Pick("ComboBox9", 2);
    EnterNumber("Edit3", 3);
    EnterNumber("Edit6", 3);
    EnterNumber("Edit1", 2);
    EnterNumber("Edit2", 6);
    EnterNumber("Edit9", 1);
    EnterNumber("Edit10", 2);
    EnterNumber("Edit4", 3);
    EnterNumber("Edit5", 4);
    EnterNumber("Edit7", 9);
    EnterNumber("Edit8", 150);
    QTest::mouseClick(Find<QCheckBox>("CheckBox1"), Qt::LeftButton);
    dialogs.nextColor = 0x112233;
    Click("Button1");
    dialogs.nextColor = 0x445566;
    Click("Button2");
    zarvo::component::TFont font = form->QRCode1().ComFont();
    font.Size = 11;
    font.Italic = true;
    font.Color = 0x008000;
    dialogs.nextFont = font;
    Click("Button11");
    form->SortKey() = 1;
    form->SortOrder() = -1;
    form->OpenDir = "/srv/data";
    form->resize(500, 600);
    ASSERT_TRUE(Close());

    Start();
    zarvo::component::TQRCode& qr = form->QRCode1();
    EXPECT_EQ(form->size(), QSize(500, 600));
    EXPECT_EQ(Items("ComboBox1"), (std::vector<QString>{U("ONE"), U("二つ目")}));
    EXPECT_EQ(Items("ComboBox7"), (std::vector<QString>{QString(), U("上の一")}));
    EXPECT_EQ(form->CurrentIndex, 0);
    EXPECT_EQ(qr.Code(), "ONE");
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentIndex(), 3);
    EXPECT_EQ(qr.Emode(), 2);
    EXPECT_EQ(qr.Eclevel(), 2);
    EXPECT_EQ(qr.Masktype(), 3);
    EXPECT_EQ(qr.SymbolPicture(), zarvo::component::picWMF);
    EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentIndex(), 1);
    EXPECT_EQ(qr.Mode(), zarvo::component::qrPlus);
    EXPECT_EQ(qr.Count(), 3);
    EXPECT_EQ(qr.Column(), 3);
    EXPECT_EQ(qr.Pxmag(), 2);
    EXPECT_EQ(qr.Version(), 6);
    EXPECT_EQ(qr.SymbolSpaceUp(), 1);
    EXPECT_EQ(qr.SymbolSpaceDown(), 2);
    EXPECT_EQ(qr.SymbolSpaceLeft(), 3);
    EXPECT_EQ(qr.SymbolSpaceRight(), 4);
    EXPECT_EQ(Find<QLineEdit>("Edit7")->text(), QStringLiteral("9"));
    EXPECT_EQ(Find<QLineEdit>("Edit8")->text(), QStringLiteral("150"));
    EXPECT_TRUE(qr.BinaryOperation());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(qr.SymbolColor(), 0x112233);
    EXPECT_EQ(qr.BackColor(), 0x445566);
    EXPECT_EQ(qr.ComFont().Size, 11);
    EXPECT_TRUE(qr.ComFont().Italic);
    EXPECT_EQ(qr.ComFont().Color, 0x008000);
    EXPECT_EQ(form->SortKey(), 1);
    EXPECT_EQ(form->SortOrder(), -1);
    EXPECT_EQ(form->OpenDir, "/srv/data");
    EXPECT_TRUE(qr.SymbolDisped());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartClose, AStoredIndexBeyondTheListSelectsTheFirstItem) {
    Start();
    for (const char* code : {"a", "b", "c"})
        AddItem(U(code));
    ASSERT_TRUE(Close());
    const struct { int32_t stored, selected; } cases[] = {{7, 0}, {3, 0}, {-1, 0}, {2, 2}};
    for (const auto& c : cases) {
        zarvo::param::TParameter ini;
        ini.Open(QFile::encodeName(Path("zarvo")).toStdString());
        ini.WriteInteger(S("シンボル文字列"), c.stored);
        ini.Save();
        Start();
        EXPECT_EQ(form->CurrentIndex, c.selected) << c.stored;
        EXPECT_EQ(form->QRCode1().Code(), form->List().Code(c.selected)) << c.stored;
        ASSERT_TRUE(Close());
    }
}

TEST_F(StartClose, AFirstDrawingThatFailsIsReportedAndTheRunGoesOn) {
    Start();
    AddItem(U("kept"));
    ASSERT_TRUE(Close());

    Create();
    form->QRCode1().SetOnPaintSymbol([](zarvo::component::TQRCode*, bool) { throw std::bad_alloc(); });
    Show();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].contains(U("シンボルを表示できませんでした。")))
        << dialogs.shown[0].toStdString();
    form->QRCode1().SetOnPaintSymbol(nullptr);
    EnterNumber("Edit2", 2); // the user mends the setting and goes on
    AddItem(U("added"));
    ASSERT_TRUE(Close());

    Start();
    EXPECT_EQ(Items("ComboBox1"), (std::vector<QString>{U("kept"), U("added")}));
    EXPECT_EQ(form->QRCode1().Version(), 2);
}

TEST_F(StartClose, ACommentFileThatDoesNotMatchIsSetAsideAndKept) {
    Start();
    AddItem(U("A"));
    TypeInto("ComboBox7", U("上"));
    Enter("ComboBox7");
    ASSERT_TRUE(Close());
    const std::string edited = S("上") + "\r\n\r\n"; // an editor added a line
    WriteBytes(Path("ZarvoUp.txt"), edited);

    Start();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("ZarvoUp.txt.bak")))
        << dialogs.shown[0].toStdString();
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt.bak")), edited);
    EXPECT_EQ(form->List().Up(0), "");
    ASSERT_TRUE(Close());
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt")), edited);

    // once the user changes the list, it is written as it now is
    Start();
    TypeInto("ComboBox8", U("下"));
    Enter("ComboBox8");
    ASSERT_TRUE(Close());
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt")), "\r\n");
    EXPECT_EQ(ReadBytes(Path("ZarvoDn.txt")), S("下") + "\r\n");
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt.bak")), edited);
}

TEST_F(StartClose, AMissingKeyIsReportedOnceAndTheRestStillLoads) {
    Start();
    AddItem(U("kept"));
    ASSERT_TRUE(Close());
    zarvo::param::TParameter ini;
    ini.Open(QFile::encodeName(Path("zarvo")).toStdString());
    ini.WriteInteger(S("バージョン"), 3);
    for (int32_t i = 0; i < ini.Count(); ++i)
        if (ini.Lines(i).rfind("FontSize=", 0) == 0)
            ini.Delete(i);
    ini.Save();

    Start();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("Name 'FontSize' is not found in parameters.")));
    EXPECT_EQ(form->QRCode1().Version(), 3);
    EXPECT_EQ(form->QRCode1().ComFont().Size, 9);
    EXPECT_EQ(form->QRCode1().Code(), "kept");
    ASSERT_TRUE(Close());
    EXPECT_NE(Ini().find("FontSize=9\r\n"), std::string::npos);
}

TEST_F(StartClose, AnUnreadableListIsSetAsideAndNotOverwrittenUnlessChanged) {
    const std::string damaged = std::string("TPF0\x09TComboBox\x09"
                                            "ComboBox1\x0DItems.Strings\x01\x06\xFF"
                                            "abc");
    WriteBytes(Path("Zarvo.dat"), damaged);
    WriteBytes(Path("ZarvoUp.txt"), "up\r\n");
    Start();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("Zarvo.dat")));
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("Zarvo.dat.bak")));
    EXPECT_EQ(ReadBytes(Path("Zarvo.dat.bak")), damaged);
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt.bak")), "up\r\n");
    EXPECT_EQ(form->List().Count(), 0);
    ASSERT_TRUE(Close());
    EXPECT_EQ(ReadBytes(Path("Zarvo.dat")), damaged);
    EXPECT_EQ(ReadBytes(Path("ZarvoUp.txt")), "up\r\n");

    Start();
    AddItem(U("new list"));
    ASSERT_TRUE(Close());
    EXPECT_EQ(zarvo::datalist::LoadDataListFiles(QFile::encodeName(dir.path()).toStdString()).List.Codes(),
              std::vector<std::string>{"new list"});
}

TEST_F(StartClose, AFailedWriteIsReportedAndTheUserChoosesWhetherToClose) {
    Start();
    AddItem(U("first"));
    ASSERT_TRUE(Close());
    const std::string datBefore = ReadBytes(Path("Zarvo.dat"));

    Start();
    AddItem(U("second"));
    // the lower comments' file cannot be replaced: a directory stands in its place
    QFile::remove(Path("ZarvoDn.txt"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ZarvoDn.txt")));
    dialogs.askAnswer = false;
    EXPECT_FALSE(Close());
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_TRUE(dialogs.shown.back().contains(QStringLiteral("ZarvoDn.txt")));
    // the set was not written: the symbol strings are still the previous ones
    EXPECT_EQ(ReadBytes(Path("Zarvo.dat")), datBefore);
    EXPECT_TRUE(form->isVisible());

    dialogs.askAnswer = true;
    EXPECT_TRUE(Close());
    EXPECT_EQ(ReadBytes(Path("Zarvo.dat")), datBefore);
}

TEST_F(StartClose, AMaximisedWindowKeepsItsNormalBoundsAndStartsMaximised) {
    const auto closeMaximisedAndExpect = [this](QSize bounds) {
        form->showMaximized();
        QTRY_VERIFY(form->isMaximized());
        ASSERT_TRUE(Close());
        zarvo::param::TParameter ini;
        ini.Open(QFile::encodeName(Path("zarvo")).toStdString());
        EXPECT_EQ(ini.ReadInteger("WindowState"), 2);
        EXPECT_EQ(ini.ReadInteger("Width"), bounds.width());
        EXPECT_EQ(ini.ReadInteger("Height"), bounds.height());
    };
    Start(); // a first run closed maximised still writes where the window was
    closeMaximisedAndExpect({368, 441});
    Start();
    form->showNormal();
    form->resize(400, 500);
    ASSERT_TRUE(Close());
    Start(); // a later one keeps the bounds of the file
    closeMaximisedAndExpect({400, 500});
    Start();
    EXPECT_TRUE(form->isMaximized());
}

TEST_F(StartClose, AWindowThatNeverStartedWritesNothing) {
    zarvo::app::FrameEnvironment env;
    env.ProgramDir = QFile::encodeName(dir.path()).toStdString();
    env.ExeName = env.ProgramDir + "/zarvo";
    env.dialogs = &dialogs;
    env.clipboard = clipboard;
    {
        TFrameForm never(env);
        EXPECT_TRUE(never.close());
    }
    EXPECT_FALSE(QFile::exists(Path("zarvo.ini")));
    EXPECT_FALSE(QFile::exists(Path("Zarvo.dat")));
}

} // namespace
} // namespace frametest
