// The data list window in a user's hands, over a fake main window: keys go to the window, cells
// are chosen by clicking, menu items by clicking the popup's item.
#include "datalist/datagridview.h"
#include "datalist/datalist.h"
#include "datalist/datalisttablemodel.h"
#include "datalist/sort.h"
#include "shared/cp932.h"
#include "tests/datalist/fakehost.h"
#include "tests/support/text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace zarvo::datalist {
namespace {

using testsupport::S;
using testsupport::U;

DataList Items(const std::vector<const char*>& codes) {
    DataList list;
    for (const char* code : codes)
        list.Append(S(code), S(code) + "-u", S(code) + "-d");
    return list;
}

class DataListFormTest : public ::testing::Test {
  protected:
    FakeHost host;
    std::unique_ptr<TDataListForm> form;

    TDataListForm& Open() {
        form = std::make_unique<TDataListForm>(host);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }
    QWindow* Window() const { return form->windowHandle(); }
    DataGridView* Grid() const { return form->StringGrid1; }
    const DataGrid& Table() const { return form->Grid(); }
    GridCell Current() const { return Table().Current(); }
    std::vector<std::string> Codes() const { return Table().ToList().Codes(); }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Window(), key, modifiers);
        QCoreApplication::processEvents(); // what the key posted (an editor closing) is done
    }
    // Characters typed at the keyboard (any script), into whatever has the focus.
    void Type(const QString& text) {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, Window(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    QRect CellRect(int row, int col) const { return Grid()->visualRect(form->Model().IndexOf({row, col})); }
    void ClickCell(int row, int col, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(Grid()->viewport(), button, Qt::NoModifier, CellRect(row, col).center());
    }
    void Click(QWidget* w, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(w, button, modifiers);
    }
    void ClickArrow(shared::TUpDown* arrows, bool up) {
        QTest::mouseClick(arrows->findChild<QToolButton*>(up ? QStringLiteral("Up") : QStringLiteral("Down")),
                          Qt::LeftButton);
    }
    // Opens the grid's popup menu with a right click and clicks one of its items.
    void PopupItem(QAction* action) {
        // through the window, so that the press becomes a context menu request as it does for a user
        const QPoint at = Grid()->viewport()->mapTo(form.get(), CellRect(1, 1).center());
        QTest::mouseClick(Window(), Qt::RightButton, Qt::NoModifier, at);
        QMenu* menu = form->PopupMenu1;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
        EXPECT_FALSE(menu->isVisible());
    }
    // Runs the sort dialog that the action opens; user acts on it.
    void WithSortDialog(const std::function<void()>& open, const std::function<void(TSortForm&)>& user) {
        bool seen = false;
        QTimer::singleShot(0, form.get(), [&] {
            auto* dialog = qobject_cast<TSortForm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            seen = true;
            user(*dialog);
        });
        open();
        EXPECT_TRUE(seen);
        // a window manager gives the window back its activation; offscreen there is none
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
};

TEST_F(DataListFormTest, OpensOnTheMainWindowsListWithTheDesignLayout) {
    host.list = Items({"東京", "大阪", "名古屋"});
    host.itemIndex = 1;
    Open();
    EXPECT_EQ(form->windowTitle(), U("データの一覧表示  :  3個"));
    EXPECT_EQ(form->size(), QSize(564, 378));
    EXPECT_EQ(form->Panel2->text(), U("行間隔 = 24"));
    EXPECT_EQ(form->Panel3->text(), U("印刷の段数 = 1"));
    EXPECT_EQ(form->Partition, 1);
    EXPECT_EQ(Current(), (GridCell{2, 1}));
    EXPECT_EQ(Grid()->currentIndex(), form->Model().IndexOf({2, 1}));
    EXPECT_TRUE(Grid()->hasFocus());
    EXPECT_EQ(Grid()->verticalHeader()->defaultSectionSize(), 24);
    const int widths[] = {181, 165, 156};
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Grid()->horizontalHeader()->sectionSize(c), widths[c]);
    EXPECT_EQ(Grid()->verticalHeader()->width(),
              QFontMetrics(Grid()->font()).horizontalAdvance(QStringLiteral("00000000")));
    EXPECT_EQ(Grid()->model()->rowCount(), 4);
    EXPECT_EQ(Grid()->model()->data(Grid()->model()->index(2, 1)).toString(), U("名古屋-u"));
    // no item selected: row 1; and no widget per cell however long the list
    host.itemIndex = -1;
    const auto widgets = form->findChildren<QWidget*>().size();
    for (int i = 0; i < 2000; ++i)
        host.list.Append(std::to_string(i), "", "");
    Open();
    EXPECT_EQ(Current(), (GridCell{1, 1}));
    EXPECT_EQ(form->findChildren<QWidget*>().size(), widgets);
}

TEST_F(DataListFormTest, TypedCellsGoBackToTheMainWindowOnOk) {
    host.list = Items({"A", "B"});
    host.itemIndex = 0;
    Open();
    ClickCell(2, 2);
    Type(U("上のコメント"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), (GridCell{2, 2}));
    EXPECT_FALSE(Grid()->Editing());

    // a new item typed on the trailing row
    ClickCell(3, 1);
    Type(U("名古屋"));
    EXPECT_EQ(form->windowTitle(), U("データの一覧表示  :  3個")); // grew at the first letter
    Key(Qt::Key_Tab);
    Type(U("中部"));
    Key(Qt::Key_Return);
    EXPECT_TRUE(host.informed.empty());
    EXPECT_EQ(host.replaced, 0);
    EXPECT_TRUE(form->isVisible()); // Return never presses OK

    Click(form->Button1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(host.replaced, 1);
    EXPECT_EQ(host.list.Codes(), (std::vector<std::string>{"A", "B", S("名古屋")}));
    EXPECT_EQ(host.list.Ups(), (std::vector<std::string>{"A-u", S("上のコメント"), S("中部")}));
    EXPECT_EQ(host.returnIndex, 2); // the row of the cursor - 1
    EXPECT_EQ(host.store.ReadInteger("DWidth"), 564);
    EXPECT_EQ(host.store.Count(), 19);
}

TEST_F(DataListFormTest, CancelAndTheFrameLeaveTheListButSaveTheSettings) {
    for (const char* how : {"Cancel", "Escape", "close"}) {
        host.list = Items({"A", "B", "C"});
        host.store.Clear();
        host.replaced = 0;
        Open();
        ClickCell(3, 1);
        Type(QStringLiteral("X"));
        Key(Qt::Key_Return);
        Click(form->Panel3, Qt::NoModifier, Qt::RightButton);
        if (std::string(how) == "Cancel")
            Click(form->Button2);
        else if (std::string(how) == "Escape")
            Key(Qt::Key_Escape);
        else
            form->close();
        EXPECT_FALSE(form->isVisible()) << how;
        EXPECT_EQ(form->result(), QDialog::Rejected) << how;
        EXPECT_EQ(host.replaced, 0) << how;
        EXPECT_EQ(host.list, Items({"A", "B", "C"})) << how;
        EXPECT_EQ(host.returnIndex, 2) << how;
        EXPECT_EQ(host.store.ReadInteger("DPartition"), 2) << how;
    }
}

TEST_F(DataListFormTest, ASettingThatCannotBeStoredStillLetsTheWindowClose) {
    host.list = Items({"A", "B"});
    Open();
    host.nextFont = component::TFont();
    host.nextFont->Name = "Face\r\nName"; // a line break would split the store's line
    Click(form->Button4);
    ClickCell(2, 1);
    Click(form->Button1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(host.replaced, 1);
    EXPECT_EQ(host.returnIndex, 1);
    ASSERT_EQ(host.informed.size(), 1u);
    EXPECT_TRUE(host.informed[0].startsWith(U("一覧の設定を保存できませんでした。")))
        << host.informed[0].toStdString();
}

TEST_F(DataListFormTest, OkReportsAFaultAndStaysOpen) {
    host.list = Items({"A", "B", "C", "D"});
    Open();
    ClickCell(3, 3);
    Click(form->Button7, Qt::ControlModifier); // a copy of row 3 after it
    EXPECT_EQ(Current(), (GridCell{4, 1}));
    ClickCell(1, 2);
    Click(form->Button1);
    ASSERT_EQ(host.informed.size(), 1u);
    EXPECT_EQ(host.informed[0], U("4行目と 3行目のデータが重複しています。"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(host.replaced, 0);
    EXPECT_EQ(Current(), (GridCell{4, 1}));
    EXPECT_EQ(Grid()->currentIndex(), form->Model().IndexOf({4, 1}));
    EXPECT_TRUE(Grid()->hasFocus());

    // an emptied symbol string
    ClickCell(4, 1);
    Key(Qt::Key_F2);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Return);
    EXPECT_EQ(Table().Cell(4, 1), "");
    Click(form->Button1);
    ASSERT_EQ(host.informed.size(), 2u);
    EXPECT_EQ(host.informed[1], U("4行目のシンボル文字列が入力されていません。"));
}

TEST_F(DataListFormTest, TheCellEditorStoresEveryKeystrokeWhereTheCursorIs) {
    host.list = Items({"A", "B"});
    Open();
    ClickCell(1, 2);
    Type(QStringLiteral("abc"));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Type(QStringLiteral("X"));
    EXPECT_EQ(Table().Cell(1, kColUp), "aXbc"); // stored at once, before Return
    Type(QStringLiteral("Y"));
    EXPECT_EQ(Table().Cell(1, kColUp), "aXYbc");
    Key(Qt::Key_Escape); // takes the edit back; the window stays
    EXPECT_EQ(Table().Cell(1, kColUp), "A-u");
    EXPECT_FALSE(Grid()->Editing());
    EXPECT_TRUE(form->isVisible());

    // Return in an open editor with "next row": the text stays, the cursor moves down
    Click(form->CheckBox1);
    ClickCell(1, 1);
    Type(U("東"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Table().Cell(1, kColCode), S("東"));
    EXPECT_EQ(Current(), (GridCell{2, 1}));
    EXPECT_FALSE(Grid()->Editing());

    // with the editor always shown it stays open on the next row
    Click(form->CheckBox2);
    EXPECT_TRUE(Grid()->Editing());
    Type(U("京"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Table().Cell(2, kColCode), S("京"));
    EXPECT_EQ(Current(), (GridCell{3, 1}));
    EXPECT_TRUE(Grid()->Editing());
    Type(U("都"));
    EXPECT_EQ(form->windowTitle(), U("データの一覧表示  :  3個"));
    EXPECT_EQ(Codes(), (std::vector<std::string>{S("東"), S("京"), S("都")}));
}

TEST_F(DataListFormTest, EnterMovesDownAndChecksAsTheOptionsSay) {
    host.list = Items({"A", "B", "A"});
    Open();
    ClickCell(1, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), (GridCell{1, 1}));
    EXPECT_TRUE(host.informed.empty());
    Click(form->CheckBox1);
    EXPECT_TRUE(Grid()->hasFocus());
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), (GridCell{2, 1}));
    Key(Qt::Key_Return); // onto the last data row, from row 2: no check yet
    EXPECT_TRUE(host.informed.empty());
    Key(Qt::Key_Return); // on the last data row: checked; the key's row was one of the two
    ASSERT_EQ(host.informed.size(), 1u);
    EXPECT_EQ(host.informed[0], U("3行目と 1行目のデータが重複しています。"));
    EXPECT_EQ(Current(), (GridCell{4, 1}));
    Click(form->CheckBox3);
    ClickCell(1, 1);
    Key(Qt::Key_Enter); // keypad Enter; every row checks now
    EXPECT_EQ(host.informed.size(), 2u);
}

TEST_F(DataListFormTest, TheTrailingRowsCommentsCannotBeChosen) {
    host.list = Items({"A"});
    Open();
    ClickCell(1, 2);
    ClickCell(2, 2);
    EXPECT_EQ(Current(), (GridCell{1, 2}));
    ClickCell(2, 1);
    Key(Qt::Key_Right);
    EXPECT_EQ(Current(), (GridCell{2, 1}));
    ClickCell(1, 3);
    Key(Qt::Key_Down);
    EXPECT_EQ(Current(), (GridCell{1, 3}));
    EXPECT_EQ(Grid()->currentIndex(), form->Model().IndexOf({1, 3}));
}

TEST_F(DataListFormTest, InsertDeleteAndMoveRows) {
    host.list = Items({"A", "B", "C"});
    Open();
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> codes;
        GridCell cursor;
    } steps[] = {
        {"insert before", [&] { Click(form->Button7); }, {"A", "", "B", "C"}, {2, 1}},
        {"delete", [&] { Click(form->Button3); }, {"A", "B", "C"}, {2, 1}},
        {"insert after (Alt)", [&] { Click(form->Button7, Qt::AltModifier); }, {"A", "B", "", "C"}, {3, 1}},
        {"delete", [&] { Click(form->Button3); }, {"A", "B", "C"}, {3, 1}},
        {"copy before (Shift), right button",
         [&] { Click(form->Button7, Qt::ShiftModifier, Qt::RightButton); },
         {"A", "B", "C", "C"},
         {3, 1}},
        {"delete", [&] { Click(form->Button3); }, {"A", "B", "C"}, {3, 1}},
        {"up", [&] { ClickArrow(form->UpDown1, true); }, {"A", "C", "B"}, {2, 1}},
        {"up", [&] { ClickArrow(form->UpDown1, true); }, {"C", "A", "B"}, {1, 1}},
        {"up at the top", [&] { ClickArrow(form->UpDown1, true); }, {"C", "A", "B"}, {1, 1}},
        {"down", [&] { ClickArrow(form->UpDown1, false); }, {"A", "C", "B"}, {2, 1}},
        {"to the trailing row", [&] { Key(Qt::Key_D, Qt::ControlModifier); }, {"A", "C", "B"}, {4, 1}},
        {"delete there", [&] { Click(form->Button3); }, {"A", "C", "B"}, {4, 1}},
        {"to the first row", [&] { Key(Qt::Key_T, Qt::ControlModifier); }, {"A", "C", "B"}, {1, 1}},
    };
    ClickCell(2, 2);
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(Codes(), s.codes) << s.what;
        EXPECT_EQ(Current(), s.cursor) << s.what;
        EXPECT_EQ(Grid()->currentIndex(), form->Model().IndexOf(s.cursor)) << s.what;
    }
    EXPECT_EQ(form->windowTitle(), U("データの一覧表示  :  3個"));
    EXPECT_EQ(Table().Cell(2, kColDown), "C-d"); // rows moved whole

    // the insert button does nothing from the keyboard
    Click(form->Edit1);
    for (int i = 0; i < 12 && QApplication::focusWidget() != form->Button7; ++i)
        Key(Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), form->Button7);
    Key(Qt::Key_Space);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A", "C", "B"}));
}

TEST_F(DataListFormTest, RowsAreDraggedByTheirNumbersButTheTrailingRowStaysLast) {
    host.list = Items({"A", "B", "C"});
    Open();
    QHeaderView* numbers = Grid()->verticalHeader();
    auto drag = [&](int from, int to) {
        QWidget* vp = numbers->viewport();
        const QPoint start(numbers->width() / 2, numbers->sectionViewportPosition(from - 1) + 5);
        const QPoint end(numbers->width() / 2, numbers->sectionViewportPosition(to - 1) + 20);
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, start);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(vp, start + (end - start) * step / 4);
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, end);
    };
    drag(1, 3);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"B", "C", "A"}));
    drag(4, 1);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"B", "C", "A"}));
    drag(2, 4);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"B", "C", "A"}));
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(numbers->visualIndex(r), r);
        EXPECT_EQ(Grid()->model()->headerData(r, Qt::Vertical).toString(), QString::number(r + 1));
    }
}

TEST_F(DataListFormTest, SearchesFromTheCurrentCell) {
    host.list = Items({"東京", "京都", "大阪"});
    Open();
    ClickCell(1, 1);
    Click(form->Edit1);
    Type(U("京"));
    ClickArrow(form->UpDown2, false); // the lower arrow: forward
    EXPECT_EQ(Current(), (GridCell{1, 2}));
    ClickCell(1, 2);
    Key(Qt::Key_F3);
    EXPECT_EQ(Current(), (GridCell{1, 3}));
    Key(Qt::Key_F3);
    EXPECT_EQ(Current(), (GridCell{2, 1}));
    Key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Current(), (GridCell{1, 3}));
    ClickArrow(form->UpDown2, true);
    EXPECT_EQ(Current(), (GridCell{1, 2}));

    // exact: whole cells only
    Click(form->CheckBox4);
    Key(Qt::Key_F3);
    EXPECT_EQ(Current(), (GridCell{1, 2})); // nothing found: the cursor stays

    // the popup's first item asks for the text, then searches forward
    host.nextInput = U("大阪-d");
    PopupItem(form->N1);
    ASSERT_EQ(host.queries.size(), 1u);
    EXPECT_EQ(host.queries[0].caption, U("検索文字列の入力"));
    EXPECT_EQ(host.queries[0].prompt, U("検索文字列入力を入力して下さい。"));
    EXPECT_EQ(host.queries[0].initial, U("京"));
    EXPECT_EQ(form->Edit1->text(), U("大阪-d"));
    EXPECT_EQ(Current(), (GridCell{3, 3}));
    PopupItem(form->N6);
    EXPECT_EQ(Current(), (GridCell{1, 1}));

    // an empty text finds the next empty cell: here the trailing row
    Click(form->Edit1);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Backspace);
    ClickCell(1, 1);
    host.nextInput.reset(); // the input box cancelled
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(host.queries.size(), 2u);
    Key(Qt::Key_F3);
    EXPECT_EQ(Current(), (GridCell{4, 1}));
}

TEST_F(DataListFormTest, PanelsStepByButtonAndModifier) {
    Open();
    const struct {
        QLabel* panel;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        int times;
        const char* text;
    } cases[] = {
        {form->Panel2, Qt::RightButton, Qt::ShiftModifier, 1, "行間隔 = 28"},
        {form->Panel2, Qt::LeftButton, Qt::ControlModifier, 1, "行間隔 = 25"},
        {form->Panel2, Qt::LeftButton, Qt::AltModifier, 1, "行間隔 = 23"},
        {form->Panel2, Qt::LeftButton, Qt::NoModifier, 1, "行間隔 = 22"},
        {form->Panel2, Qt::LeftButton, Qt::ShiftModifier, 10, "行間隔 = 6"},
        {form->Panel2, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, 30, "行間隔 = 80"},
        {form->Panel3, Qt::RightButton, Qt::NoModifier, 1, "印刷の段数 = 2"},
        {form->Panel3, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, 10, "印刷の段数 = 24"},
        {form->Panel3, Qt::LeftButton, Qt::AltModifier, 1, "印刷の段数 = 22"},
        {form->Panel3, Qt::MiddleButton, Qt::NoModifier, 1, "印刷の段数 = 22"},
        {form->Panel3, Qt::LeftButton, Qt::NoModifier, 30, "印刷の段数 = 1"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < c.times; ++i)
            Click(c.panel, c.modifiers, c.button);
        EXPECT_EQ(c.panel->text(), U(c.text));
    }
    EXPECT_EQ(Grid()->verticalHeader()->defaultSectionSize(), 80);
    EXPECT_EQ(form->Partition, 1);
    form->close();
    EXPECT_EQ(host.store.ReadInteger("DDefaultRowHeight"), 80);
}

TEST_F(DataListFormTest, StoredSettingsComeBackAndTheOptionsActAtOnce) {
    host.list = Items({"A", "B"});
    Open();
    Click(form->CheckBox2); // the editor shown always
    EXPECT_TRUE(Grid()->Editing());
    Click(form->CheckBox4);
    Click(form->Edit1);
    Type(U("検索"));
    host.nextFont = component::TFont();
    host.nextFont->Name = S("ＭＳ ゴシック");
    host.nextFont->Size = 14;
    host.nextFont->Italic = true;
    Click(form->Button4);
    ASSERT_TRUE(host.presetFont);
    EXPECT_EQ(host.presetFont->Name, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(Grid()->font().pixelSize(), 19);
    EXPECT_EQ(Grid()->verticalHeader()->width(),
              QFontMetrics(Grid()->font()).horizontalAdvance(QStringLiteral("00000000")));
    Grid()->horizontalHeader()->resizeSection(1, 99);
    form->resize(700, 400);
    Click(form->Button2);

    Open();
    EXPECT_EQ(form->size(), QSize(700, 400));
    EXPECT_TRUE(form->CheckBox2->isChecked());
    EXPECT_TRUE(form->CheckBox4->isChecked());
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->Edit1->text(), U("検索"));
    EXPECT_EQ(Grid()->font().pixelSize(), 19);
    EXPECT_TRUE(Grid()->font().italic());
    EXPECT_EQ(Grid()->horizontalHeader()->sectionSize(1), 99);
    EXPECT_TRUE(Grid()->Editing());
    EXPECT_EQ(host.store.ReadString("DFontName"), S("ＭＳ ゴシック"));
    EXPECT_TRUE(host.informed.empty());
    form->close();

    // a key the store lacks is reported, and the rest still applies
    host.store.Delete(host.store.Count() - 1);
    Open();
    ASSERT_EQ(host.informed.size(), 1u);
    EXPECT_TRUE(host.informed[0].contains(U("検索文字列"))) << host.informed[0].toStdString();
    EXPECT_TRUE(form->CheckBox4->isChecked());
}

TEST_F(DataListFormTest, ACharacterShiftJisCannotHoldIsRefusedWithANotice) {
    host.list = Items({"A"});
    Open();
    ClickCell(1, 1);
    Type(QStringLiteral("B"));
    Type(U("é"));
    ASSERT_EQ(host.informed.size(), 1u);
    EXPECT_TRUE(host.informed[0].startsWith(U("Shift-JIS (CP932) で表せない文字は入力できません。")));
    Type(QStringLiteral("C"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Table().Cell(1, 1), "BC");

    Click(form->Edit1);
    Type(U("xé"));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("x"));
    EXPECT_EQ(host.informed.size(), 2u);
}

TEST_F(DataListFormTest, SortsThroughTheDialogAndPrintsThroughTheHost) {
    host.list = Items({"b"});
    Open();
    Click(form->Button5); // one data row: no dialog
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ClickCell(2, 1);
    Type(QStringLiteral("A"));
    ClickCell(3, 1);
    Type(QStringLiteral("a"));
    ClickCell(2, 2);
    Type(QStringLiteral("z"));
    ClickCell(3, 2);
    Type(QStringLiteral("y"));
    Key(Qt::Key_Return);

    // cancelled: nothing
    WithSortDialog([&] { Click(form->Button5); },
                   [](TSortForm& d) { QTest::mouseClick(d.Button2, Qt::LeftButton); });
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b", "A", "a"}));
    EXPECT_TRUE(Grid()->hasFocus());

    // by symbol string: letter case does not separate A and a
    WithSortDialog([&] { Click(form->Button5); },
                   [](TSortForm& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); });
    EXPECT_EQ(Codes().back(), "b");
    EXPECT_EQ(Current(), (GridCell{1, 1}));

    // by upper comment, descending: the choice goes back to the main window
    WithSortDialog([&] { Click(form->Button5); },
                   [](TSortForm& d) {
                       QTest::mouseClick(d.RadioGroup1->findChildren<QRadioButton*>().at(1), Qt::LeftButton);
                       QTest::mouseClick(d.RadioGroup2->findChildren<QRadioButton*>().at(1), Qt::LeftButton);
                       QTest::mouseClick(d.Button1, Qt::LeftButton);
                   });
    EXPECT_EQ(host.sortKey, 1);
    EXPECT_EQ(host.sortOrder, -1);
    EXPECT_EQ(form->SortColumn, 2);
    EXPECT_EQ(form->SortSign, -1);
    EXPECT_EQ(Table().ToList().Ups(), (std::vector<std::string>{"z", "y", "b-u"}));
    EXPECT_EQ(Table().TrailingRow(), 4);

    Click(form->Panel3, Qt::NoModifier, Qt::RightButton);
    Click(form->Button6);
    ASSERT_EQ(host.prints.size(), 1u);
    EXPECT_EQ(host.prints[0].items, Table().ToList());
    EXPECT_EQ(host.prints[0].partition, 2);
    EXPECT_EQ(host.prints[0].font.Name, S("ＭＳ Ｐゴシック"));
    EXPECT_TRUE(Grid()->hasFocus());
}

TEST_F(DataListFormTest, AMaximisedWindowKeepsItsNormalBounds) {
    Open();
    form->move(100, 120);
    form->resize(640, 420);
    form->close();
    Open();
    form->showMaximized();
    QTest::qWait(20);
    form->close();
    EXPECT_EQ(host.store.ReadInteger("DWindowState"), 2);
    EXPECT_EQ(host.store.ReadInteger("DWidth"), 640);
    Open();
    EXPECT_TRUE(form->isMaximized());
}

} // namespace
} // namespace zarvo::datalist

namespace zarvo::datalist {
namespace {

// Bounds from a settings file edited elsewhere: a window larger than any screen would ask for a
// backing store it cannot have (the program ended on the first paint).
TEST_F(DataListFormTest, StoredBoundsOfAnySizeOpenAWindowThatFitsTheScreen) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const struct { int32_t left, top, width, height; } cases[] = {
        {2147483647, 2147483647, 2147483647, 2147483647},
        {-2147483647, -2147483647, 2147483647, 2147483647},
        {0, 0, 2147483647, 300},
    };
    for (const auto& c : cases) {
        Open();
        form->close();
        host.store.WriteInteger("DLeft", c.left);
        host.store.WriteInteger("DTop", c.top);
        host.store.WriteInteger("DWidth", c.width);
        host.store.WriteInteger("DHeight", c.height);
        Open();
        QTest::qWait(20); // painted
        EXPECT_LE(form->width(), screen.width()) << c.left;
        EXPECT_LE(form->height(), screen.height()) << c.left;
        form->close();
    }
}

} // namespace
} // namespace zarvo::datalist
