// Each settings control sets its property of the symbol, and the status tells what the symbol
// now is.
#include "tests/app/frame_test_support.h"

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>

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
    TypeInto("Edit1", U("5"));
    EXPECT_EQ(Qr().Pxmag(), 2);
}

TEST_F(FrameBinding, ListBoxesSetModeLevelMaskAndPictures) {
    Pick("ComboBox2", 4);
    EXPECT_EQ(Qr().Emode(), 3);
    Pick("ComboBox2", 0);
    EXPECT_EQ(Qr().Emode(), -1);
    Pick("ComboBox3", 3);
    EXPECT_EQ(Qr().Eclevel(), 3);
    Pick("ComboBox4", 6);
    EXPECT_EQ(Qr().Masktype(), 5);
    EXPECT_EQ(Qr().MasktypeR(), 5);

    // typing into the level box selects no entry; the component ignores what follows from it
    TypeInto("ComboBox3", U("x"));
    EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentIndex(), -1);
    EXPECT_EQ(Qr().Eclevel(), 3);

    Pick("ComboBox6", 2); // WMF copies; the display shows EMF
    EXPECT_EQ(Qr().SymbolPicture(), zarvo::component::picWMF);
    EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentIndex(), 1);
    Pick("ComboBox5", 0);
    EXPECT_EQ(Qr().SymbolPicture(), zarvo::component::picBMP);
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentIndex(), 0);
    Pick("ComboBox5", 1);
    EXPECT_EQ(Find<QComboBox>("ComboBox6")->currentIndex(), 1);
}

TEST_F(FrameBinding, SplitModeAndPieceCountFollowEachOther) {
    LongData();
    Pick("ComboBox9", 1); // connected: at least two pieces
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
    Pick("ComboBox9", 2);
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
    Pick("ComboBox2", 4);
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
    // a text that is no notation switches it off in the symbol: the check box follows
    QTest::mouseClick(binary, Qt::LeftButton);
    AddItem(U("~4"));
    EXPECT_FALSE(Qr().BinaryOperation());
    EXPECT_FALSE(binary->isChecked());
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
    font.Color = 0x0000FF;
    dialogs.nextFont = font;
    Click("Button11");
    EXPECT_EQ(dialogs.presetFont->Name, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(dialogs.presetFont->Color, zarvo::component::clWindowText);
    EXPECT_EQ(Qr().ComFont().Size, 14);
    EXPECT_TRUE(Qr().ComFont().Bold);
    EXPECT_EQ(Qr().ComFont().Color, 0x0000FF);
}

TEST_F(FrameBinding, AnErrorInAHandlerIsReportedAndTheWindowGoesOn) {
    const struct {
        std::function<void()> fail;
        const char* told;
    } cases[] = {
        {[] { throw std::runtime_error("Illegal Count : 3"); }, "Illegal Count : 3"},
        {[] { throw std::bad_alloc(); }, "メモリが足りない"},
    };
    for (const auto& c : cases) {
        Qr().SetOnPaintSymbol([&c](zarvo::component::TQRCode*, bool) { c.fail(); });
        EnterNumber("Edit2", 2); // Return in the version box draws
        ASSERT_EQ(dialogs.shown.size(), 1u) << c.told;
        EXPECT_TRUE(dialogs.shown[0].contains(U(c.told))) << dialogs.shown[0].toStdString();
        dialogs.shown.clear();
        Qr().SetOnPaintSymbol(nullptr);
        EnterNumber("Edit2", 3);
        EXPECT_EQ(Qr().Version(), 3);
        EXPECT_EQ(Text("Panel5"), U("表示しました。"));
    }
}

TEST_F(FrameBinding, APictureOfGigabytesIsNotShown) {
    // 300 symbols of version 40 at 10 pixels a module: 29,920 x 35,530 pixels, 4 GB
    AddItem(QString(300, QLatin1Char('A')));
    EnterNumber("Edit1", 10);
    EnterNumber("Edit2", 40);
    Pick("ComboBox9", 2);
    EnterNumber("Edit3", 300);
    EXPECT_EQ(Qr().Count(), 300);
    EXPECT_EQ(Text("Panel5"), U("表示出来ません。"));
    EXPECT_EQ(Find<QLabel>("Panel5")->toolTip(), U("画像が大きすぎるため表示出来ません。"));
    EnterNumber("Edit1", 1);
    EXPECT_EQ(Text("Panel5"), U("表示しました。"));
}

TEST_F(FrameBinding, ANumberTypedWithoutReturnShowsWhatIsUsed) {
    // left with Tab or a click: the box shows again the value drawn and saved
    TypeInto("Edit1", U("5"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QStringLiteral("1"));
    TypeInto("Edit2", U("7"));
    FocusOn("Edit9");
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), QStringLiteral("1"));
    EXPECT_EQ(Qr().Pxmag(), 1);
    EXPECT_EQ(Qr().Version(), 1);
    // an arrow counts on from what was typed
    TypeInto("Edit1", U("5"));
    ClickArrow("UpDown1", true);
    EXPECT_EQ(Qr().Pxmag(), 6);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QStringLiteral("6"));
}

TEST_F(FrameBinding, TabVisitsOnlyControlsInSight) {
    const auto chain = [this] {
        std::vector<QString> names;
        FocusOn("ComboBox1");
        for (int i = 0; i < 60; ++i) {
            Key(Qt::Key_Tab);
            const QString name = QApplication::focusWidget()->objectName();
            if (name == QStringLiteral("ComboBox1"))
                break;
            names.push_back(name);
        }
        return names;
    };
    const std::vector<QString> firstRun = chain();
    std::vector<QString> expected;
    for (const char* name : {"CheckBox1", "Button7",   "Button17", "ComboBox7", "ComboBox8", "ComboBox2",
                             "ComboBox3", "ComboBox4", "Edit2",    "Edit1",     "ComboBox9", "Edit3",
                             "Edit6",     "Edit9",     "Edit10",   "Edit4",     "Edit5",     "ComboBox5",
                             "ComboBox6", "Button1",   "Button2",  "Button11",  "CheckBox3", "Button3",
                             "Button12",  "Button4",   "Button5",  "Button6",   "ScrollBox1"})
        expected.push_back(QString::fromLatin1(name));
    EXPECT_EQ(firstRun, expected);

    form->resize(1000, 500); // the editor pane and the print controls come into sight
    const std::vector<QString> wide = chain();
    for (const char* name : {"Button8", "Edit7", "Button10", "Button9", "Edit8", "Memo1"})
        EXPECT_NE(std::find(wide.begin(), wide.end(), QString::fromLatin1(name)), wide.end()) << name;
}

TEST_F(FrameBinding, TheSettingsPanelSitsOnTheButtonBarAtEverySize) {
    const QSize sizes[] = {{368, 441}, {700, 600}, {1200, 330}, {100, 100}};
    for (const QSize size : sizes) {
        form->resize(size);
        const int height = form->height();
        const QRect panel = Find<QWidget>("Panel2")->geometry();
        const QRect bar = Find<QWidget>("Panel3")->geometry();
        EXPECT_EQ(bar.bottom(), height - 1) << size.width();
        EXPECT_EQ(panel.bottom() + 1, bar.top()) << size.width();
        EXPECT_EQ(Find<QWidget>("ScrollBox1")->height(), panel.top()) << size.width();
        EXPECT_EQ(Find<QWidget>("Panel6")->geometry().bottom(), panel.bottom()) << size.width();
        EXPECT_EQ(Find<QWidget>("Panel1")->x(), 365) << size.width();
        EXPECT_EQ(Find<QWidget>("Panel1")->width(), form->width() - 368) << size.width();
        // no window is so small that a control of the panel or of the left of the bar is cut off
        for (QWidget* control : Find<QWidget>("Panel2")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(form->rect().contains(QRect(control->mapTo(form.get(), QPoint()), control->size())))
                << control->objectName().toStdString() << " at " << size.width();
        for (const char* name : {"Button3", "Button12", "Button4", "Button5", "Button6", "Panel5"}) {
            QWidget* control = Find<QWidget>(name);
            EXPECT_TRUE(form->rect().contains(QRect(control->mapTo(form.get(), QPoint()), control->size())))
                << name << " at " << size.width();
        }
    }
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
