// Each settings control sets its property of the symbol, and the status tells what the symbol
// now is.
#include "tests/app/frame_test_support.h"

namespace frametest {
namespace {

class FrameBinding : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        AddItem(U("HELLO"));
    }
    // Data long enough for as many pieces as the tests ask for.
    void LongData() { AddItem(U("0123456789 ABCDEFGHIJ 0123456789")); }
    zarvo::component::TQRCode& Qr() { return form->QRCode1(); }
    QRgb PanelColour(const char* panel) const {
        return Find<QLabel>(panel)->palette().color(QPalette::WindowText).rgb();
    }
    void EnterNumber(const char* edit, int value) {
        QLineEdit* e = Find<QLineEdit>(edit);
        Type(e, QString::number(value));
        QTest::keyClick(e, Qt::Key_Return);
    }
    void Choose(const char* box, int index) {
        QComboBox* b = Find<QComboBox>(box);
        b->setCurrentIndex(index);
        Q_EMIT b->activated(index);
    }
};

TEST_F(FrameBinding, EditBoxesAndArrowsSetTheirPropertyWithinTheirRange) {
    struct Case {
        const char* edit;
        const char* arrows;
        int typed, expected;
        int32_t (zarvo::component::TQRCode::*property)() const;
    } cases[] = {
        {"Edit1", "UpDown1", 3, 3, &zarvo::component::TQRCode::Pxmag},
        {"Edit2", "UpDown2", 50, 40, &zarvo::component::TQRCode::Version}, // the arrows' range holds
        {"Edit9", "UpDown9", 0, 0, &zarvo::component::TQRCode::SymbolSpaceUp},
        {"Edit10", "UpDown10", 2500, 2000, &zarvo::component::TQRCode::SymbolSpaceDown},
        {"Edit4", "UpDown4", 7, 7, &zarvo::component::TQRCode::SymbolSpaceLeft},
        {"Edit5", "UpDown5", 12, 12, &zarvo::component::TQRCode::SymbolSpaceRight},
        {"Edit6", "UpDown11", 2, 2, &zarvo::component::TQRCode::Column},
    };
    for (const Case& c : cases) {
        EnterNumber(c.edit, c.typed);
        EXPECT_EQ((Qr().*c.property)(), c.expected) << c.edit;
        EXPECT_EQ(Find<QLineEdit>(c.edit)->text(), QString::number(c.expected)) << c.edit;
        ClickArrow(c.arrows, false);
        EXPECT_EQ((Qr().*c.property)(), std::max(c.expected - 1, Find<TUpDown>(c.arrows)->Min())) << c.arrows;
    }
    // keys other than Return apply nothing
    Type(Find<QLineEdit>("Edit1"), U("5"));
    EXPECT_EQ(Qr().Pxmag(), 2);
}

TEST_F(FrameBinding, ListBoxesSetModeLevelMaskAndPictures) {
    Choose("ComboBox2", 4);
    EXPECT_EQ(Qr().Emode(), 3);
    Choose("ComboBox2", 0);
    EXPECT_EQ(Qr().Emode(), -1);
    Choose("ComboBox3", 3);
    EXPECT_EQ(Qr().Eclevel(), 3);
    Choose("ComboBox4", 6);
    EXPECT_EQ(Qr().Masktype(), 5);
    EXPECT_EQ(Qr().MasktypeR(), 5);

    // typing into the level box selects no entry; the component ignores what follows from it
    TypeInto("ComboBox3", U("x"));
    EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentIndex(), -1);
    EXPECT_EQ(Qr().Eclevel(), 3);

    Choose("ComboBox6", 2); // WMF copies; the display shows EMF
    EXPECT_EQ(Qr().SymbolPicture(), zarvo::component::picWMF);
    EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentIndex(), 1);
    Choose("ComboBox5", 0);
    EXPECT_EQ(Qr().SymbolPicture(), zarvo::component::picBMP);
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentIndex(), 0);
    Choose("ComboBox5", 1);
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentIndex(), 1);
}

TEST_F(FrameBinding, SplitModeAndPieceCountFollowEachOther) {
    LongData();
    Choose("ComboBox9", 1); // connected: at least two pieces
    EXPECT_EQ(Qr().Mode(), zarvo::component::qrConnect);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), QStringLiteral("2"));
    EnterNumber("Edit3", 100); // more than a linked set holds: independent symbols, one per byte at most
    EXPECT_EQ(Qr().Count(), 32);
    EXPECT_EQ(Qr().Mode(), zarvo::component::qrPlus);
    EXPECT_EQ(Find<QComboBox>("ComboBox9")->currentIndex(), 2);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), QStringLiteral("100"));
    EnterNumber("Edit3", 1); // one piece is single
    EXPECT_EQ(Qr().Mode(), zarvo::component::qrSingle);
    EXPECT_EQ(Find<QComboBox>("ComboBox9")->currentIndex(), 0);
    Choose("ComboBox9", 2);
    EnterNumber("Edit3", 30);
    EXPECT_EQ(Qr().Count(), 30);
    EXPECT_EQ(Qr().Mode(), zarvo::component::qrPlus);
}

TEST_F(FrameBinding, StatusTellsSizeStateDataKindAndCapacity) {
    EXPECT_EQ(Text("Panel4"), QStringLiteral("29\u00D729")); // version 1 at magnification 1
    EXPECT_EQ(Text("Panel5"), U("表示しました。"));
    EXPECT_EQ(PanelColour("Panel5"), qRgb(0, 0, 255));
    EXPECT_EQ(Text("Panel9"), QStringLiteral("Text Data"));
    EXPECT_EQ(form->windowTitle().toStdString(), "Zarvo  Version 1.2  -  Data size = 5,  Capacity = 25");

    AddItem(U("この文字列はバージョンいちには入りきらない長さの漢字の列です"));
    EXPECT_EQ(Text("Panel4"), QStringLiteral("0\u00D70"));
    EXPECT_EQ(Text("Panel5"), U("表示出来ません。"));
    EXPECT_EQ(PanelColour("Panel5"), qRgb(255, 0, 0));
    // kanji count twice: the caption still compares the data with what fits
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Zarvo  Version 1.2  -  Data size = 60,")));
    Choose("ComboBox2", 4);
    EXPECT_EQ(Qr().EmodeR(), 3);
    EXPECT_EQ(
        form->windowTitle(),
        QStringLiteral("Zarvo  Version 1.2  -  Data size = 60,  Capacity = %1").arg(2 * Qr().Capacity()));

    EnterNumber("Edit2", 5);
    EXPECT_EQ(Text("Panel5"), U("表示しました。"));
    EXPECT_EQ(Text("Panel4"), QStringLiteral("45\u00D745"));

    Click("Button5");
    Click("Button5");
    EXPECT_EQ(Text("Panel9"), QStringLiteral("Void Data"));
    EXPECT_EQ(PanelColour("Panel9"), qRgb(255, 255, 255));
    EXPECT_EQ(Find<QLabel>("Panel9")->toolTip(), U("空のデータです。"));
}

TEST_F(FrameBinding, BinaryNotationAndItsCheckBox) {
    QCheckBox* binary = Find<QCheckBox>("CheckBox1");
    AddItem(U("~41~"));
    EXPECT_EQ(Qr().Data(), "~41~");
    QTest::mouseClick(binary, Qt::LeftButton);
    EXPECT_TRUE(Qr().BinaryOperation());
    EXPECT_EQ(Qr().Data(), "A");
    AddItem(U("~01~"));
    EXPECT_EQ(Text("Panel9"), QStringLiteral("Binary Data"));
    EXPECT_EQ(PanelColour("Panel9"), qRgb(255, 255, 0));
    QTest::mouseClick(binary, Qt::LeftButton);
    EXPECT_FALSE(Qr().BinaryOperation());
    EXPECT_EQ(binary->isChecked(), Qr().BinaryOperation());
}

TEST_F(FrameBinding, ColourAndFontDialogsSetOnlyWhenConfirmed) {
    dialogs.nextColor = 0x0000FF; // red
    Click("Button1");
    EXPECT_EQ(Qr().SymbolColor(), 0x0000FF);
    dialogs.nextColor = std::nullopt;
    Click("Button2"); // cancelled
    EXPECT_EQ(dialogs.presetColor, zarvo::component::clWhite);
    EXPECT_EQ(Qr().BackColor(), zarvo::component::clWhite);

    zarvo::component::TFont font = Qr().ComFont();
    font.Size = 14;
    font.Bold = true;
    dialogs.nextFont = font;
    Click("Button11");
    EXPECT_EQ(dialogs.presetFont->Name, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(Qr().ComFont().Size, 14);
    EXPECT_TRUE(Qr().ComFont().Bold);
}

TEST_F(FrameBinding, ControlsAreReachedByTheirLabels) {
    for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox7", "Edit2", "Edit3", "Edit9"}) {
        QWidget* control = Find<QWidget>(name);
        bool labelled = false;
        for (QLabel* label : form->findChildren<QLabel*>())
            labelled |= label->buddy() == control;
        EXPECT_TRUE(labelled) << name;
    }
    EXPECT_EQ(Find<QWidget>("UpDown3")->toolTip(), U("前後のデータと入れ替えを行ないます。"));
    EXPECT_EQ(Find<QPushButton>("Button6")->text(), U("終了"));
}

} // namespace
} // namespace frametest
