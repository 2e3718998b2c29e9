// The main window's print controls as a user works them: normal and list print through the preview
// onto the recording printer, the preview's "等倍" in the magnification box, the spacing panels and
// the printer setup.
#include "datalist/datalist.h"
#include "printing/preview.h"
#include "tests/app/frame_test_support.h"

namespace frametest {
namespace {

using zarvo::printing::TPreviewForm;

class FramePrint : public FrameTest {
  protected:
    void SetUp() override {
        Start();
        form->resize(1000, 500); // the print controls come into sight
        for (const char* code : {"東京", "大阪", "名古屋"})
            AddItem(U(code));
        Pick("ComboBox1", 0);
    }
    bool Preview(const char* button, const std::function<void(TPreviewForm&)>& user) {
        return InModal<TPreviewForm>([this, button] { Click(button); }, user);
    }
    void Press(const char* panel, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(Find<QWidget>(panel), button, modifiers);
    }
};

TEST_F(FramePrint, NormalAndListPrintGoThroughThePreviewOntoThePrinter) {
    EnterNumber("Edit7", 5);
    const struct {
        const char* button;
        QString caption;
        size_t pictures;
    } prints[] = {
        {"Button8", U("印刷プレビュー  :  5個"), 5},        // the print count's copies of the shown item
        {"Button10", U("リスト印刷プレビュー  :  3個"), 3}, // every item once
    };
    for (const auto& p : prints) {
        SCOPED_TRACE(p.button);
        printer->painted.clear();
        const int jobs = printer->jobs;
        // closed: nothing printed
        ASSERT_TRUE(Preview(p.button, [](TPreviewForm& preview) { preview.reject(); }));
        EXPECT_EQ(printer->jobs, jobs);
        ASSERT_TRUE(Preview(p.button, [&p](TPreviewForm& preview) {
            EXPECT_EQ(preview.windowTitle(), p.caption);
            QTest::mouseClick(preview.Button1, Qt::LeftButton);
        }));
        EXPECT_EQ(printer->jobs, jobs + 1);
        EXPECT_EQ(printer->Images().size(), p.pictures);
        EXPECT_TRUE(dialogs.shown.empty());
        // the shown item is as before, and the next print previews in normal mode again
        EXPECT_EQ(form->QRCode1().Code(), S("東京"));
        EXPECT_FALSE(form->ListPrintMode);
    }
    EXPECT_EQ(printer->printDialogs, 1); // asked once which printer, before the first print

    // nothing to print: said, and no preview
    Click("Button5");
    Click("Button5");
    Click("Button5");
    EXPECT_FALSE(Preview("Button8", [](TPreviewForm& preview) { preview.reject(); }));
    EXPECT_EQ(dialogs.shown, (std::vector<QString>{U("シンボルを表示中でないと印刷出来ません。")}));
}

TEST_F(FramePrint, TheListWindowsPrintListsTheItemsOnTheProgramsPrinter) {
    ASSERT_TRUE(InModal<zarvo::datalist::TDataListForm>([this] { Click("Button17"); },
                                                        [](zarvo::datalist::TDataListForm& w) {
                                                            EXPECT_TRUE(w.Button6->isEnabled());
                                                            QTest::mouseClick(w.Button6, Qt::LeftButton);
                                                            w.reject();
                                                        }));
    EXPECT_EQ(printer->jobs, 1);
    EXPECT_EQ(printer->printDialogs, 1);
    QStringList texts;
    for (const auto& painted : printer->Texts())
        texts << painted.text;
    for (const char* text : {"データ一覧", "東京", "大阪", "名古屋"})
        EXPECT_TRUE(texts.join(QString()).contains(U(text))) << text;
}

TEST_F(FramePrint, SameSizeSetsTheMagnificationUntilTheUserChangesIt) {
    int32_t screenDpi = 0, scale = 0;
    ASSERT_TRUE(Preview("Button8", [&](TPreviewForm& preview) {
        QTest::mouseClick(preview.Button5, Qt::LeftButton); // 等倍
        EXPECT_FALSE(preview.Button5->isEnabled());
        screenDpi = form->ScreenDpiX;
        scale = preview.PreviewScale;
        preview.reject();
    }));
    const int32_t sameSize = screenDpi * 10000 / scale / 600;
    EXPECT_NE(sameSize, 100);
    EXPECT_EQ(form->PrintMagnification(), sameSize);
    EXPECT_EQ(Find<QLineEdit>("Edit8")->text(), QString::number(sameSize));
    EXPECT_TRUE(form->SameSizeSwitch);

    // the arrows, a number entered, and the printer setup each turn it off
    const std::function<void()> changes[] = {
        [this] { ClickArrow("UpDown8", true); },
        [this] { EnterNumber("Edit8", 120); },
        [this] { Click("Button9"); },
    };
    for (const auto& change : changes) {
        form->SameSizeSwitch = true;
        change();
        EXPECT_FALSE(form->SameSizeSwitch);
    }
    EXPECT_EQ(dialogs.setUps, 1);
    EXPECT_EQ(form->PrintMagnification(), 120);
}

TEST_F(FramePrint, TheSpacingPanelsStepByButtonAndModifierWithinTheirRange) {
    const struct {
        const char* panel;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        QString caption;
    } presses[] = {
        {"Panel7", Qt::RightButton, Qt::ShiftModifier, U("行間隔 = 20")},
        {"Panel7", Qt::LeftButton, Qt::ControlModifier, U("行間隔 = 15")},
        {"Panel7", Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, U("行間隔 = 5")},
        {"Panel8", Qt::RightButton, Qt::AltModifier, U("列間隔 = 2")},
        {"Panel8", Qt::LeftButton, Qt::NoModifier, U("列間隔 = 1")},
        {"Panel8", Qt::LeftButton, Qt::ShiftModifier, U("列間隔 = 0")}, // not below 0
    };
    for (const auto& p : presses) {
        Press(p.panel, p.button, p.modifiers);
        EXPECT_EQ(Text(p.panel), p.caption);
    }
    for (int i = 0; i < 201; ++i)
        Press("Panel7", Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(Text("Panel7"), U("行間隔 = 2000"));
    EXPECT_EQ(form->PrintRowSpace, 2000);
    ASSERT_TRUE(Close());
    EXPECT_NE(Ini().find(S("\r\n印刷時の行間隔=2000\r\n")), std::string::npos);
}

} // namespace
} // namespace frametest
