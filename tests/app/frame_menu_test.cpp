// PopupMenu1 opened with the mouse and chosen from, and its shortcuts pressed anywhere in the window.
#include "printing/symbolsize.h"
#include "tests/app/frame_test_support.h"

#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

namespace frametest {

// Stands in for the desktop's program for documents.
class DocumentOpener : public QObject {
    Q_OBJECT

  public:
    std::vector<QUrl> opened;

  public Q_SLOTS:
    void Open(const QUrl& url) { opened.push_back(url); }
};

namespace {

class FrameMenu : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        form->resize(900, 500);
        AddItem(U("MENU"));
    }
    const zarvo::component::TQRCode& Qr() { return form->QRCode1(); }
    QAction* Item(const char* name) { return Find<QAction>(name); }

    // A right click at a point of a control: the menu opens where the window system says.
    QMenu* OpenMenuAt(QWidget* control, QPoint at) {
        QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, control->mapTo(form.get(), at));
        QMenu* menu = Find<QMenu>("PopupMenu1");
        EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        return menu;
    }
    // A click on an item of an open menu; an item of the rotation submenu opens it first.
    void Choose(QMenu* menu, const char* name) {
        QAction* action = Item(name);
        if (!menu->actions().contains(action)) {
            QMenu* rotation = Item("N1")->menu();
            Choose(menu, "N1");
            ASSERT_TRUE(QTest::qWaitFor([rotation] { return rotation->isVisible(); }));
            menu = rotation;
        }
        QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    // What the opened menu shows checked.
    std::vector<QString> Checked() {
        std::vector<QString> names;
        for (const char* name : {"N01", "N901", "N1801", "N2701", "N4"})
            if (Item(name)->isChecked())
                names.push_back(QString::fromLatin1(name));
        return names;
    }
};

TEST_F(FrameMenu, RotationAndReverseFromTheMenuAndByShortcutAnywhere) {
    QWidget* symbol = Find<QWidget>("QRCode1");
    QMenu* menu = OpenMenuAt(symbol, QPoint(5, 5));
    EXPECT_EQ(Checked(), (std::vector<QString>{QStringLiteral("N01")}));
    Choose(menu, "N901");
    EXPECT_EQ(Qr().Angle(), 90);
    EXPECT_FALSE(menu->isVisible());

    FocusOn("Memo1"); // from the editor
    Key(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(Qr().Angle(), 180);
    FocusOn("ComboBox1"); // from a box that takes text
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(Qr().Reverse());
    menu = OpenMenuAt(Find<QWidget>("Panel2"), QPoint(364, 100));
    EXPECT_EQ(Checked(), (std::vector<QString>{QStringLiteral("N1801"), QStringLiteral("N4")}));
    Choose(menu, "N4");
    EXPECT_FALSE(Qr().Reverse());
    Key(Qt::Key_F5, Qt::ControlModifier);
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(Qr().Reverse());
    Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(Qr().Angle(), 0);
}

TEST_F(FrameMenu, AMetafileIsNotTurned) {
    Key(Qt::Key_F4, Qt::ControlModifier);
    Key(Qt::Key_F5, Qt::ControlModifier);
    Pick("ComboBox6", 1); // EMF
    QMenu* menu = OpenMenuAt(Find<QWidget>("Panel2"), QPoint(364, 100));
    EXPECT_FALSE(Item("N1")->isEnabled());
    EXPECT_EQ(Checked(), (std::vector<QString>{QStringLiteral("N01")}));
    menu->hide();
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(Qr().Angle(), 270);
}

TEST_F(FrameMenu, HelpOpensTheGuideBesideTheProgram) {
    DocumentOpener desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "Open");
    Key(Qt::Key_F1); // no guide: nothing, and no message
    EXPECT_TRUE(desktop.opened.empty());
    WriteBytes(Path("Readme.txt"), "guide");
    FocusOn("Memo1");
    Key(Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(Path("Readme.txt")));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(FrameMenu, TheSizeReportOpensFromItsShortcutAndFromTheMenu) {
    const std::function<void()> opens[] = {
        [this] { Key(Qt::Key_I, Qt::ControlModifier); },
        [this] { Choose(OpenMenuAt(Find<QWidget>("QRCode1"), QPoint(5, 5)), "N5"); },
    };
    for (const auto& open : opens) {
        QString shown;
        ASSERT_TRUE(
            InModal<zarvo::printing::TSymbolSizeForm>(open, [&shown](zarvo::printing::TSymbolSizeForm& w) {
                shown = w.Label1->text();
                w.reject();
            }));
        EXPECT_TRUE(shown.contains(U("画面上のシンボル 1 個のサイズ"))) << shown.toStdString();
    }
}

} // namespace
} // namespace frametest

#include "frame_menu_test.moc"
