// The data list as the user works it in the main window: storing, selecting, deleting, moving.
#include "datalist/datagridview.h"
#include "datalist/datalist.h"
#include "datalist/datalistfiles.h"
#include "datalist/datalisttablemodel.h"
#include "datalist/sort.h"
#include "tests/app/frame_test_support.h"

#include <QGroupBox>
#include <QRadioButton>

namespace frametest {
namespace {

using Texts = std::vector<QString>;
using zarvo::datalist::DataGridView;
using zarvo::datalist::GridCell;
using zarvo::datalist::TDataListForm;
using zarvo::datalist::TSortForm;

class FrameList : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        for (const char* code : {"A", "B", "C"})
            AddItem(U(code));
    }
    const std::string& Code() { return form->QRCode1().Code(); }
};

TEST_F(FrameList, ReturnStoresANewTextAfterTheCurrentItem) {
    // A, B, C were typed one after the other: each landed after the one before
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B"), U("C")}));
    Pick("ComboBox1", 1);
    EXPECT_EQ(Code(), "B");

    TypeInto("ComboBox7", U("上"));
    TypeInto("ComboBox1", U("X"));
    // typing leaves the item: the comment boxes clear, the new text is not stored yet
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), QString());
    EXPECT_EQ(Code(), "B");
    TypeInto("ComboBox7", U("上のコメント"));
    Enter("ComboBox1", true); // the keypad's Enter too

    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B"), U("X"), U("C")}));
    EXPECT_EQ(Items("ComboBox7"), (Texts{QString(), QString(), U("上のコメント"), QString()}));
    EXPECT_EQ(Items("ComboBox8").size(), 4u);
    EXPECT_EQ(form->CurrentIndex, 2);
    EXPECT_EQ(Code(), "X");
    EXPECT_EQ(form->QRCode1().CommentUp(), S("上のコメント"));
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (3 of 4)"));
    EXPECT_EQ(form->List().Count(), 4);
}

TEST_F(FrameList, ReturnOnAStoredTextSelectsItWithItsComments) {
    Pick("ComboBox1", 0);
    TypeInto("ComboBox7", U("Aの上"));
    Enter("ComboBox7");
    Pick("ComboBox1", 2);

    TypeInto("ComboBox1", U("A"));
    TypeInto("ComboBox8", U("捨てられる"));
    Enter("ComboBox1");

    EXPECT_EQ(form->List().Count(), 3);
    EXPECT_EQ(form->CurrentIndex, 0);
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), U("Aの上"));
    EXPECT_EQ(Find<QComboBox>("ComboBox8")->currentText(), QString());
    EXPECT_EQ(form->QRCode1().CommentUp(), S("Aの上"));
    EXPECT_EQ(form->QRCode1().CommentDown(), "");
}

TEST_F(FrameList, ReturnInACommentBoxStoresBothComments) {
    Pick("ComboBox1", 1);
    TypeInto("ComboBox7", U("うえ"));
    TypeInto("ComboBox8", U("した"));
    Enter("ComboBox8", true); // the keypad's Enter too

    EXPECT_EQ(form->List().Up(1), S("うえ"));
    EXPECT_EQ(form->List().Down(1), S("した"));
    EXPECT_EQ(Items("ComboBox7")[1], U("うえ"));
    EXPECT_EQ(form->QRCode1().CommentDown(), S("した"));
    EXPECT_EQ(form->List().Count(), 3);
    EXPECT_EQ(Code(), "B");
}

TEST_F(FrameList, PickingTheShownItemAgainBringsItsCommentsBack) {
    Pick("ComboBox1", 1);
    TypeInto("ComboBox7", U("Bの上"));
    Enter("ComboBox7");
    TypeInto("ComboBox1", U("B2")); // clears the comment boxes
    Pick("ComboBox1", 1);           // changed their mind
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), U("Bの上"));
    Enter("ComboBox7");
    EXPECT_EQ(form->List().Up(1), S("Bの上"));
}

TEST_F(FrameList, TextThatShiftJisCannotHoldIsRefused) {
    Pick("ComboBox1", 0);
    TypeInto("ComboBox1", U("caf\u00E9 \U0001F600"));
    Enter("ComboBox1");
    EXPECT_EQ(form->List().Count(), 3);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_TRUE(dialogs.shown.back().contains(U("Shift-JIS")));
    EXPECT_EQ(Code(), "A");
}

TEST_F(FrameList, DeleteSelectsTheNeighbourAndEmptiesAtTheEnd) {
    Pick("ComboBox1", 2);
    Click("Button5"); // the last: its predecessor follows
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B")}));
    EXPECT_EQ(form->CurrentIndex, 1);
    EXPECT_EQ(Code(), "B");
    Pick("ComboBox1", 0);
    Click("Button5"); // the first: its successor takes its place
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("B")}));
    EXPECT_EQ(Code(), "B");
    EXPECT_EQ(Items("ComboBox7").size(), 1u);
    Click("Button5");
    EXPECT_EQ(form->List().Count(), 0);
    EXPECT_EQ(Code(), "");
    EXPECT_EQ(form->CurrentIndex, -1);
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (0 of 0)"));
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QString());
    Click("Button5"); // nothing left: nothing happens
    EXPECT_EQ(form->List().Count(), 0);
}

TEST_F(FrameList, ArrowsMoveTheItemButNotPastTheEnds) {
    Pick("ComboBox1", 0);
    TypeInto("ComboBox8", U("Aの下"));
    Enter("ComboBox8");
    ClickArrow("UpDown3", true); // first item up: nothing moves
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B"), U("C")}));
    ClickArrow("UpDown3", false);
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("B"), U("A"), U("C")}));
    EXPECT_EQ(Items("ComboBox8"), (Texts{QString(), U("Aの下"), QString()}));
    EXPECT_EQ(form->CurrentIndex, 1);
    ClickArrow("UpDown3", false);
    ClickArrow("UpDown3", false); // now last: nothing moves
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("B"), U("C"), U("A")}));
    EXPECT_EQ(Code(), "A");
    EXPECT_EQ(form->QRCode1().CommentDown(), S("Aの下"));
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (3 of 3)"));
    ClickArrow("UpDown3", true); // the selection follows the item up
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("B"), U("A"), U("C")}));
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 1);
    EXPECT_EQ(Code(), "A");
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (2 of 3)"));
}

TEST_F(FrameList, TheArrowsResetTheirCountAboveAThousandAndSkipOneClick) {
    TUpDown* arrows = Find<TUpDown>("UpDown3");
    Pick("ComboBox1", 1);
    arrows->SetPosition(1001);
    ClickArrow("UpDown3", false); // the press resets the count; this click moves nothing
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B"), U("C")}));
    EXPECT_LE(std::abs(arrows->Position()), 1);
    ClickArrow("UpDown3", false);
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("C"), U("B")}));
}

TEST_F(FrameList, TheClipboardWatchStoresEachCopiedTextOnce) {
    Pick("ComboBox1", 0);
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    ASSERT_TRUE(form->QRCode1().ClipWatch());
    clipboard->OtherProgramCopies(U("コピーした"));
    clipboard->OtherProgramCopies(U("B"));
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("コピーした"), U("B"), U("C")}));
    EXPECT_EQ(form->CurrentIndex, 2);
    EXPECT_EQ(Code(), "B");
    EXPECT_EQ(form->QRCode1().CommentUp(), "");
}

TEST_F(FrameList, ABinaryItemKeepsItsBytesThroughTheBoxes) {
    // bytes that do not decode show as replacement characters but are stored as they were
    form->ReplaceList([] {
        zarvo::datalist::DataList list;
        list.Append(std::string("\x80\xFF"
                                "bin",
                                5),
                    "", "");
        list.Append("text", "", "");
        return list;
    }());
    Pick("ComboBox1", 0);
    EXPECT_EQ(Code(), std::string("\x80\xFF"
                                  "bin",
                                  5));
    TypeInto("ComboBox7", U("注"));
    Enter("ComboBox7");
    EXPECT_EQ(form->List().Code(0), std::string("\x80\xFF"
                                                "bin",
                                                5));
    EXPECT_EQ(form->List().Count(), 2);
}

} // namespace
} // namespace frametest

namespace frametest {
namespace {

class FrameListMore : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        for (const char* code : {"A", "B"})
            AddItem(U(code));
    }
};

TEST_F(FrameListMore, LeavingTheSymbolBoxSelectsNothingByItself) {
    // the box must not pick an item of the same text on its own: the comment boxes would then
    // disagree with it
    QComboBox* symbolBox = Find<QComboBox>("ComboBox1");
    TypeInto("ComboBox1", U("A"));
    Key(Qt::Key_Tab); // focus moves on: the box finishes its editing
    EXPECT_FALSE(symbolBox->hasFocus());
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), -1);
    EXPECT_EQ(form->CurrentIndex, 1);
    EXPECT_EQ(Items("ComboBox1").size(), 2u);
    // and typing mirrors the text into the editor, ready to be drawn or stored
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(), U("A"));
    EXPECT_TRUE(Find<QPushButton>("Button13")->isEnabled());
}

TEST_F(FrameListMore, ACopiedTextShiftJisCannotHoldIsNotTakenAndSaysWhy) {
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    clipboard->OtherProgramCopies(U("\U0001F600"));
    EXPECT_EQ(form->List().Count(), 2);
    EXPECT_EQ(form->QRCode1().Code(), "B");
    EXPECT_EQ(Text("Panel5"), U("取り込めません。"));
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
} // namespace frametest

namespace frametest {
namespace {

using DataListWindow = FrameTest;

TEST_F(DataListWindow, TheFirstItemOfAnEmptyListIsOneOfOne) {
    Start();
    TypeInto("ComboBox1", U("first"));
    TypeInto("ComboBox8", U("下"));
    Enter("ComboBox1");
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (1 of 1)"));
    EXPECT_EQ(form->List().Down(0), S("下"));
}

TEST_F(DataListWindow, AnItemOfSeveralLinesIsEditedInTheSymbolBox) {
    zarvo::datalist::DataList list;
    list.Append("line 1\r\nline 2", "", "");
    zarvo::datalist::SaveDataListFiles(QFile::encodeName(dir.path()).toStdString(), list);
    Start();
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), U("line 1\u21B5line 2"));
    FocusOn("ComboBox1");
    Key(Qt::Key_End);
    QTest::keyClick(form->windowHandle(), '!');
    Key(Qt::Key_Return);
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_EQ(form->List().Count(), 2);
    EXPECT_EQ(form->List().Code(1), "line 1\r\nline 2!");
    EXPECT_EQ(form->QRCode1().Code(), "line 1\r\nline 2!");
}

// The data list window as its user works it, opened from the main window: a click on a cell, keys
// and characters to the window.
struct Grid {
    TDataListForm& w;
    void ClickCell(int row, int col, Qt::MouseButton button = Qt::LeftButton) {
        DataGridView* grid = w.StringGrid1;
        const QRect cell = grid->visualRect(w.Model().IndexOf({row, col}));
        QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, cell.center());
    }
    void Type(const QString& text) {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, w.windowHandle(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void Key(Qt::Key key) {
        QTest::keyClick(w.windowHandle(), key);
        QCoreApplication::processEvents(); // what the key posted (an editor closing) is done
    }
};

// Items A, B and C, as FrameList has them.
class DataListWindowList : public FrameList {
  protected:
    bool OpenList(const std::function<void(Grid&)>& user) {
        return InModal<TDataListForm>([this] { Click("Button17"); },
                                      [&user](TDataListForm& w) {
                                          Grid grid{w};
                                          user(grid);
                                      });
    }
};

TEST_F(DataListWindowList, OkHandsTheEditsBackAndTheRowLeftIsShown) {
    Pick("ComboBox1", 1);
    ASSERT_TRUE(OpenList([](Grid& g) {
        EXPECT_EQ(g.w.Grid().Current(), (GridCell{2, 1})); // on the main window's item
        g.ClickCell(2, 1);
        g.Type(U("B2"));
        g.Key(Qt::Key_Return);
        g.ClickCell(4, 1); // the trailing row: a new item
        g.Type(U("D"));
        g.Key(Qt::Key_Tab);
        g.Type(U("Dの上"));
        g.Key(Qt::Key_Return);
        QTest::mouseClick(g.w.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B2"), U("C"), U("D")}));
    EXPECT_EQ(Items("ComboBox7"), (Texts{QString(), QString(), QString(), U("Dの上")}));
    EXPECT_EQ(Items("ComboBox8").size(), 4u);
    // the row the window closed on: row 4, item 4
    EXPECT_EQ(form->ListReturnIndex, 0);
    EXPECT_EQ(form->CurrentIndex, 3);
    EXPECT_EQ(Code(), "D");
    EXPECT_EQ(form->QRCode1().CommentUp(), S("Dの上"));
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (4 of 4)"));
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(), U("D"));

    // the edited item at the index shown is drawn as it now is
    ASSERT_TRUE(OpenList([](Grid& g) {
        g.ClickCell(4, 3);
        g.Type(U("下"));
        g.Key(Qt::Key_Return);
        QTest::mouseClick(g.w.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(form->CurrentIndex, 3);
    EXPECT_EQ(form->QRCode1().CommentDown(), S("下"));
}

TEST_F(DataListWindowList, CancelLeavesTheListYetItsSettingsAndRowAreKept) {
    Pick("ComboBox1", 0);
    ASSERT_TRUE(OpenList([](Grid& g) {
        g.ClickCell(3, 1);
        g.Type(U("X"));
        g.Key(Qt::Key_Return);
        QTest::mouseClick(g.w.Panel3, Qt::RightButton); // print columns 2
        QTest::mouseClick(g.w.Button2, Qt::LeftButton);
    }));
    EXPECT_EQ(Items("ComboBox1"), (Texts{U("A"), U("B"), U("C")}));
    EXPECT_EQ(form->CurrentIndex, 2); // the row it closed on, all the same
    EXPECT_EQ(Code(), "C");
    // and every row deleted, by OK: nothing is shown any more
    ASSERT_TRUE(OpenList([](Grid& g) {
        for (int i = 0; i < 3; ++i) {
            g.ClickCell(1, 1);
            QTest::mouseClick(g.w.Button3, Qt::LeftButton);
        }
        QTest::mouseClick(g.w.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(form->List().Count(), 0);
    EXPECT_EQ(form->CurrentIndex, -1);
    EXPECT_EQ(Code(), "");
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (0 of 0)"));

    // the window wrote its keys at each close: a first run's file keeps them after the main keys
    ASSERT_TRUE(Close());
    const std::string ini = Ini();
    EXPECT_NE(ini.find("\r\nDPartition=2\r\n"), std::string::npos);
    EXPECT_EQ(ini.find("DWidth=598"), std::string::npos); // no default lines over them
    EXPECT_LT(ini.find(S("SaveSDir=")), ini.find("DLeft="));
}

// The main window's sort: the dialog's choice, then the list sorted and its first item shown.
TEST_F(DataListWindow, TheSortOrdersTheItemsByTheChosenKeyAndShowsTheFirst) {
    const struct {
        int key, order; // the radio buttons chosen: key 0..2, order 0 ascending, 1 descending
        Texts codes;
    } cases[] = {
        {0, 0, {U("A"), U("a"), U("b")}}, // letter case does not separate A and a
        {0, 1, {U("b"), U("a"), U("A")}},
        {1, 0, {U("b"), U("a"), U("A")}}, // the upper comments 1, 2, 3
    };
    for (const auto& c : cases) {
        Start();
        form->ReplaceList([] {
            zarvo::datalist::DataList list;
            list.Append("b", "1", "");
            list.Append("A", "3", "");
            list.Append("a", "2", "");
            return list;
        }());
        Pick("ComboBox1", 2);
        ASSERT_TRUE(InModal<TSortForm>([this] { Click("Button7"); },
                                       [&c](TSortForm& dialog) {
                                           const auto keys =
                                               dialog.RadioGroup1->findChildren<QRadioButton*>();
                                           const auto orders =
                                               dialog.RadioGroup2->findChildren<QRadioButton*>();
                                           QTest::mouseClick(keys[c.key], Qt::LeftButton);
                                           QTest::mouseClick(orders[c.order], Qt::LeftButton);
                                           QTest::mouseClick(dialog.Button1, Qt::LeftButton);
                                       }))
            << c.key << c.order;
        EXPECT_EQ(Items("ComboBox1"), c.codes) << c.key << c.order;
        EXPECT_EQ(form->CurrentIndex, 0);
        EXPECT_EQ(form->QRCode1().Code(), c.codes[0].toStdString());
        EXPECT_EQ(form->QRCode1().CommentUp(), form->List().Up(0)); // the items moved whole
        EXPECT_EQ(form->SortKey(), c.key);
        EXPECT_EQ(form->SortOrder(), c.order == 0 ? 1 : -1);
        ASSERT_TRUE(Close());
    }

    // Cancel sorts nothing; one item, or none shown, asks nothing
    Start();
    const Texts stored = Items("ComboBox1");
    ASSERT_TRUE(
        InModal<TSortForm>([this] { Click("Button7"); },
                           [](TSortForm& dialog) { QTest::mouseClick(dialog.Button2, Qt::LeftButton); }));
    EXPECT_EQ(Items("ComboBox1"), stored);
    TypeInto("ComboBox1", U("new text")); // no item shown
    EXPECT_FALSE(InModal<TSortForm>([this] { Click("Button7"); }, [](TSortForm& d) { d.reject(); }));
    form->ReplaceList({});
    AddItem(U("only"));
    EXPECT_FALSE(InModal<TSortForm>([this] { Click("Button7"); }, [](TSortForm& d) { d.reject(); }));
}

// While a window of the program is open, a copied text waits; the latest is taken when it closes.
TEST_F(DataListWindowList, TheWatchWaitsWhileAWindowIsOpenAndTakesTheLatestCopyAfter) {
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    Pick("ComboBox1", 0);
    const auto copiesWhileOpen = [this](QDialog& window, const QString& latest) {
        clipboard->OtherProgramCopies(U("earlier copy"));
        clipboard->OtherProgramCopies(latest);
        QCoreApplication::processEvents();
        EXPECT_EQ(form->List().Count(), 3) << window.metaObject()->className();
        EXPECT_EQ(Code(), "A");
        window.reject();
    };
    const struct {
        const char* latest;
        std::function<void()> open;
    } windows[] = {
        {"list", [this] { Click("Button17"); }},
        {"sort", [this] { Click("Button7"); }},
        {"preview", [this] { Click("Button8"); }},
        {"size", [this] { Key(Qt::Key_I, Qt::ControlModifier); }},
    };
    for (const auto& w : windows) {
        Pick("ComboBox1", 0);
        const int32_t before = form->List().Count();
        ASSERT_TRUE(InModal<QDialog>(w.open, [&](QDialog& d) { copiesWhileOpen(d, U(w.latest)); }))
            << w.latest;
        // the latest copy only, stored after the item shown, once the window is gone
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->List().Count() == before + 1; })) << w.latest;
        EXPECT_EQ(form->List().Code(1), w.latest);
        EXPECT_EQ(form->List().Find("earlier copy"), -1);
        EXPECT_EQ(Code(), w.latest);
        Click("Button5"); // delete it again
    }
}

TEST_F(DataListWindowList, OkOfTheListWindowDoesNotOverwriteATextCopiedWhileItWasOpen) {
    QTest::mouseClick(Find<QCheckBox>("CheckBox3"), Qt::LeftButton);
    Pick("ComboBox1", 1);
    ASSERT_TRUE(OpenList([this](Grid& g) {
        clipboard->OtherProgramCopies(U("捕まえた"));
        g.ClickCell(1, 2);
        g.Type(U("上"));
        g.Key(Qt::Key_Return);
        QTest::mouseClick(g.w.Button1, Qt::LeftButton);
    }));
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->List().Count() == 4; }));
    EXPECT_EQ(form->List().Codes(), (std::vector<std::string>{"A", S("捕まえた"), "B", "C"}));
    EXPECT_EQ(form->List().Up(0), S("上")); // the window's edit, too
    EXPECT_EQ(form->CurrentIndex, 1);
}

} // namespace
} // namespace frametest
