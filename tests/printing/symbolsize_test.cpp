// The size report window: the report for the shown symbol on the recording printer, the window's
// size, and its popup menu's copy and print.
#include "printing/printcommands.h"
#include "printing/symbolsize.h"
#include "tests/printing/printtest_support.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

namespace printingtest {
namespace {

using zarvo::printing::TSymbolSizeForm;

class SymbolSize : public ::testing::Test {
  protected:
    FakeHost host;

    void SetUp() override {
        host.list = JapaneseItems();
        host.Show(0); // version 3, Pxmag 2: one symbol is 74 × 74 pixels
    }
    bool Report(const std::function<void(TSymbolSizeForm&)>& user) {
        return WithModal<TSymbolSizeForm>([&] { zarvo::printing::ShowSymbolSize(host); }, user);
    }
    // Picks an item of the popup menu with the mouse, as a user does.
    static void Choose(TSymbolSizeForm& form, QAction* item) {
        QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, QPoint(20, 20));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.PopupMenu1));
        QTest::mouseClick(form.PopupMenu1, Qt::LeftButton, {},
                          form.PopupMenu1->actionGeometry(item).center());
    }
};

TEST_F(SymbolSize, ReportsTheShownSymbolOnScreenAndOnPaper) {
    ASSERT_TRUE(Report([&](TSymbolSizeForm& form) {
        const QStringList lines = form.Label1->text().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 27);
        EXPECT_EQ(lines[0], QString());
        EXPECT_EQ(lines[2], U("    74×74 pixel"));
        EXPECT_EQ(lines[3], U("    19.58×19.58 mm"));    // 74 ÷ 96 × 25.4
        EXPECT_EQ(lines[6], U("    462×462 pixel"));     // 462.5, half to even
        EXPECT_EQ(lines[11], U("    209.97×297.01 mm")); // 4960 × 7016 at 600 dpi
        EXPECT_EQ(lines[20], U("    100 %"));
        EXPECT_EQ(lines[25], U("  ※シンボルのサイズは、シンボルの倍率( 2 )  "));
        // The window shows the lines without the title; print and copy carry it
        EXPECT_EQ(form.ReportText, U("///// 現在のシンボルのサイズ情報 /////\r\n\r\n") +
                                       lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        EXPECT_EQ(form.width(), form.Label1->width() + 12);
        EXPECT_EQ(form.height(), form.Label1->height() + 12);
        EXPECT_EQ(form.Label1->pos(), QPoint(6, 6));
        EXPECT_EQ(form.windowTitle(), U("現在のシンボルのサイズ情報"));
        form.close();
    }));
}

TEST_F(SymbolSize, CopiesTheReportAsText) {
    QString report;
    ASSERT_TRUE(Report([&](TSymbolSizeForm& form) {
        report = form.ReportText;
        Choose(form, form.Copy1);
        form.close();
    }));
    ASSERT_TRUE(host.clipboard->last);
    EXPECT_EQ(host.clipboard->last->text(), report);
    EXPECT_TRUE(report.startsWith(U("///// 現在のシンボルのサイズ情報 /////\r\n\r\n\r\n  画面上")));
}

TEST_F(SymbolSize, PrintsTheReportOnOnePage) {
    ASSERT_TRUE(Report([&](TSymbolSizeForm& form) {
        Choose(form, form.Print1);
        // A second time from the keyboard: the printer is chosen by now
        QTest::keyClick(form.windowHandle(), Qt::Key_P, Qt::ControlModifier);
        form.close();
    }));
    EXPECT_EQ(host.recorder.printDialogs, 1);
    EXPECT_EQ(host.recorder.jobs, 2);
    EXPECT_EQ(host.recorder.pages, 1);
    EXPECT_TRUE(host.recorder.ended);
    const std::vector<Painted> texts = host.recorder.Texts();
    ASSERT_FALSE(texts.empty());
    // At a sixteenth of the paper from the printable area's corner, in 12-point lines (100 printer
    // pixels high at 600 dpi)
    EXPECT_EQ(texts.front().rect.left(), 4960 / 16);
    EXPECT_GT(texts.front().rect.top(), 7016 / 16);
    EXPECT_LT(texts.front().rect.top(), 7016 / 16 + 120);
    QString all;
    for (const Painted& t : texts)
        all += t.text;
    EXPECT_TRUE(all.startsWith(U("///// 現在のシンボルのサイズ情報 /////")));
    EXPECT_TRUE(all.contains(U("プリンタのスケールファクタ")));
}

TEST_F(SymbolSize, ANotPrintedReportWhenThePrintDialogIsCancelled) {
    host.dialogs.printAnswer = false;
    ASSERT_TRUE(Report([&](TSymbolSizeForm& form) {
        Choose(form, form.Print1);
        form.close();
    }));
    EXPECT_EQ(host.recorder.jobs, 0);
}

} // namespace
} // namespace printingtest
