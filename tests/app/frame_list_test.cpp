// The data list as the user works it in the main window: storing, selecting, deleting, moving.
#include "datalist/datalistfiles.h"
#include "tests/app/frame_test_support.h"

namespace frametest {
namespace {

using Texts = std::vector<QString>;

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
    form->AssignList([] {
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

TEST_F(DataListWindow, ItsReturnedRowIsSelectedWithinTheListThatIsLeft) {
    Start();
    for (const char* code : {"A", "B", "C", "D"})
        AddItem(U(code));
    EXPECT_FALSE(Find<QPushButton>("Button17")->isEnabled()); // no window joined yet
    // the window deletes two rows and closes on the last row it had shown
    form->SetDataListWindow([](TFrameForm& main) {
        zarvo::datalist::DataList edited;
        edited.Append("A", "", "");
        edited.Append("B", "", "");
        main.AssignList(edited);
        main.ListReturnIndex = 2; // one past the rows that are left
    });
    Click("Button17");
    EXPECT_EQ(form->CurrentIndex, 1);
    EXPECT_EQ(form->QRCode1().Code(), "B");
    EXPECT_EQ(form->ListReturnIndex, 0);
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (2 of 2)"));

    // an item edited in the window at the index shown is drawn as it now is
    form->SetDataListWindow([](TFrameForm& main) {
        zarvo::datalist::DataList edited;
        edited.Append("A", "", "");
        edited.Append("B2", S("新しい"), "");
        main.AssignList(edited);
        main.ListReturnIndex = 1;
    });
    Click("Button17");
    EXPECT_EQ(form->QRCode1().Code(), "B2");
    EXPECT_EQ(form->QRCode1().CommentUp(), S("新しい"));

    // a window that leaves no rows
    form->SetDataListWindow([](TFrameForm& main) { main.AssignList({}); });
    Click("Button17");
    EXPECT_EQ(form->CurrentIndex, -1);
    EXPECT_EQ(Text("Label1"), U("シンボル文字列 (0 of 0)"));
}

} // namespace
} // namespace frametest
