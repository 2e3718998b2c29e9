// Normal print and list print as the main window's buttons run them, through the preview, onto the
// recording printer: what is refused, where the pictures land, which pages are made, and what the
// main window shows afterwards on every path.
#include "printing/preview.h"
#include "printing/printcommands.h"
#include "tests/printing/printtest_support.h"

#include <QPushButton>
#include <gtest/gtest.h>
#include <variant>

namespace printingtest {
namespace {

using zarvo::printing::TPreviewForm;

// Leaves the preview with "印刷", as a user does.
void Print(TPreviewForm& preview) {
    QTest::mouseClick(preview.Button1, Qt::LeftButton);
}
void Close(TPreviewForm& preview) {
    QTest::mouseClick(preview.Button2, Qt::LeftButton);
}

class PrintJobs : public ::testing::Test {
  protected:
    FakeHost host;

    void SetUp() override {
        host.list = JapaneseItems();
        host.Show(0);
        // Version 3 at Pxmag 2 with the four 10-pixel spaces: a 94 × 94 picture, 587 × 587 printer
        // pixels at 100 % (94 × 600 ÷ 96 = 587.5); 8 columns (4760) and 10 rows (6814, gap 62)
        ASSERT_TRUE(host.qr.SymbolDisped());
        ASSERT_EQ(host.qr.Width(), 94);
        ASSERT_EQ(host.qr.Height(), 94);
    }

    bool NormalPrint(const std::function<void(TPreviewForm&)>& user) {
        return WithModal<TPreviewForm>([&] { zarvo::printing::NormalPrint(host); }, user);
    }
    bool ListPrint(const std::function<void(TPreviewForm&)>& user) {
        return WithModal<TPreviewForm>([&] { zarvo::printing::ListPrint(host); }, user);
    }
    // What the main window shows, to compare before and after.
    std::vector<std::string> Shown() const {
        return {host.qr.Code(), host.qr.CommentUp(), host.qr.CommentDown()};
    }
};

TEST_F(PrintJobs, NormalPrintIsRefusedWithoutASymbolOrWithAnEmptyList) {
    const QString refusal = U("シンボルを表示中でないと印刷出来ません。");
    zarvo::datalist::DataList items = host.list;
    host.list.Clear(); // the editor pane may show a symbol while the list is empty
    EXPECT_FALSE(NormalPrint(Close));
    host.list = items;
    host.qr.SetCode(std::string(200, 'A')); // does not fit version 3
    ASSERT_FALSE(host.qr.SymbolDisped());
    EXPECT_FALSE(NormalPrint(Close));
    EXPECT_EQ(host.dialogs.shown, (std::vector<QString>{refusal, refusal}));
    EXPECT_EQ(host.recorder.jobs, 0);
}

TEST_F(PrintJobs, NormalPrintFillsPagesRowByRowWithoutATrailingEmptyPage) {
    struct {
        int32_t count, pages;
    } cases[] = {{1, 1}, {80, 1}, {160, 2}, {161, 3}};
    for (const auto& c : cases) {
        host.printCount = c.count;
        ASSERT_TRUE(NormalPrint(Print));
        EXPECT_TRUE(host.recorder.ended);
        EXPECT_EQ(host.recorder.pages, c.pages) << c.count << " copies";
        const std::vector<Painted> images = host.recorder.Images();
        ASSERT_EQ(images.size(), static_cast<size_t>(c.count));
        EXPECT_EQ(images.front().rect, QRect(0, 0, 587, 587));
        EXPECT_EQ(images.front().imageSize, QSize(94, 94));
        if (c.count >= 80) {
            EXPECT_EQ(images[7].rect.topLeft(), QPoint(7 * 587, 0));
            EXPECT_EQ(images[8].rect.topLeft(), QPoint(0, 649)); // the row gap: 10 × 600 ÷ 96 = 62
            EXPECT_EQ(images[79].rect, QRect(7 * 587, 9 * 649, 587, 587));
            EXPECT_EQ(images[79].page, 1);
        }
        if (c.count > 80) {
            EXPECT_EQ(images[80].page, 2);
            EXPECT_EQ(images[80].rect.topLeft(), QPoint(0, 0));
        }
    }
    EXPECT_EQ(host.recorder.printDialogs, 1); // asked for a printer before the first print only
}

TEST_F(PrintJobs, NormalPrintFollowsMagnificationAndSpacing) {
    host.printCount = 4;
    host.magnification = 200;
    host.fields.PrintColSpace = 16; // 16 × 600 × 200 ÷ 96 ÷ 100 = 200
    ASSERT_TRUE(NormalPrint(Print));
    // 1175 × 1175 (94 × 600 × 200 ÷ 96 ÷ 100), three to a row (3 × 1375 - 200 <= 4760)
    const std::vector<Painted> images = host.recorder.Images();
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[1].rect, QRect(1175 + 200, 0, 1175, 1175));
    EXPECT_EQ(images[2].rect.topLeft(), QPoint(2 * 1375, 0));
    EXPECT_EQ(images[3].rect.topLeft(), QPoint(0, 1175 + 125)); // 10 px of row space: 125
}

TEST_F(PrintJobs, AMetafilePictureIsPlayedIntoEachCell) {
    host.qr.SetSymbolPicture(zarvo::component::picEMF);
    ASSERT_TRUE(std::holds_alternative<zarvo::component::Metafile>(host.qr.Picture()));
    host.printCount = 2;
    ASSERT_TRUE(NormalPrint(Print));
    // The background fill of each copy, then its modules and comment boxes, all inside the copy's
    // cell: the comments reaching above the picture (their 10-pixel space is too low) are cut
    std::vector<QRect> backgrounds;
    for (const Painted& p : host.recorder.painted) {
        ASSERT_NE(p.kind, Painted::Image);
        if (p.kind != Painted::Fill)
            continue;
        const QRect cell = p.rect.left() < 587 ? QRect(0, 0, 587, 587) : QRect(587, 0, 587, 587);
        EXPECT_TRUE(cell.contains(p.rect)) << p.rect.x() << "," << p.rect.y();
        if (p.kind == Painted::Fill && p.rect.width() > 500)
            backgrounds.push_back(p.rect);
    }
    ASSERT_EQ(backgrounds.size(), 2u);
    EXPECT_EQ(backgrounds[0].topLeft(), QPoint(0, 0));
    EXPECT_EQ(backgrounds[1].topLeft(), QPoint(587, 0));
}

TEST_F(PrintJobs, NothingIsPrintedWhenThePreviewIsClosedOrThePrintDialogCancelled) {
    EXPECT_TRUE(NormalPrint(Close));
    host.dialogs.printAnswer = false;
    // Cancelling the print dialog leaves the user in the preview
    EXPECT_TRUE(NormalPrint([&](TPreviewForm& preview) {
        Print(preview);
        EXPECT_TRUE(preview.isVisible());
        Close(preview);
    }));
    EXPECT_EQ(host.recorder.jobs, 0);
    EXPECT_EQ(host.dialogs.printDialogs, 1);
}

TEST_F(PrintJobs, APrinterChosenInThePrintDialogIsPrintedForAsChosen) {
    host.printCount = 8;
    host.dialogs.choosePrinter = [&](QPrinter&) { host.recorder.metrics.PageWidth = 2400; };
    ASSERT_TRUE(NormalPrint(Print));
    // Four columns on the narrower page: the fifth copy begins the second row
    const std::vector<Painted> images = host.recorder.Images();
    ASSERT_EQ(images.size(), 8u);
    EXPECT_EQ(images[4].rect.topLeft(), QPoint(0, 649));
    EXPECT_EQ(host.fields.PageWidth, 2400);
}

TEST_F(PrintJobs, PrinterSetupChoosesThePrinterAndEndsSameSize) {
    host.fields.SameSizeSwitch = true;
    host.dialogs.setUpAnswer = false;
    zarvo::printing::PrinterSetup(host);
    EXPECT_FALSE(host.fields.SameSizeSwitch);
    EXPECT_FALSE(host.recorder.Chosen());
    host.fields.SameSizeSwitch = true;
    host.dialogs.setUpAnswer = true;
    zarvo::printing::PrinterSetup(host);
    EXPECT_FALSE(host.fields.SameSizeSwitch);
    EXPECT_TRUE(host.recorder.Chosen());
    // Chosen: the print goes there without the print dialog
    ASSERT_TRUE(NormalPrint(Print));
    EXPECT_EQ(host.dialogs.printDialogs, 0);
    EXPECT_EQ(host.recorder.jobs, 1);
}

TEST_F(PrintJobs, ListPrintFlowsEveryItemThatGivesASymbol) {
    // A symbol string too long for version 3 gives no symbol and is left out without a gap
    host.list.Insert(3, std::string(200, 'A'), S("長すぎる"), "");
    const std::vector<std::string> before = Shown();
    ASSERT_TRUE(ListPrint([&](TPreviewForm& preview) {
        EXPECT_EQ(preview.windowTitle(), U("リスト印刷プレビュー  :  12個"));
        EXPECT_TRUE(host.fields.ListPrintMode);
        Print(preview);
    }));
    EXPECT_EQ(host.fields.ListPrintCount, 12);
    const std::vector<Painted> images = host.recorder.Images();
    ASSERT_EQ(images.size(), 12u);
    // Eight to a row (8 × 587 = 4696; the ninth would reach 5283)
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(images[static_cast<size_t>(i)].rect, QRect(i % 8 * 587, i / 8 * 649, 587, 587)) << i;
    EXPECT_EQ(host.recorder.pages, 1);
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(host.fields.ListPrintMode);
    EXPECT_FALSE(host.qr.SymbolDebug());
}

TEST_F(PrintJobs, ListPrintGoesOnToNewPagesOnlyForPictures) {
    // 10 rows of 8 to a page; 160 items fill exactly two pages
    zarvo::datalist::DataList many;
    for (int i = 0; i < 160; ++i)
        many.Append("item " + std::to_string(i), "", "");
    // Items after the last printable one give nothing: no page is begun for them
    many.Append(std::string(200, 'B'), "", "");
    host.list = many;
    ASSERT_TRUE(ListPrint(Print));
    EXPECT_EQ(host.recorder.Images().size(), 160u);
    EXPECT_EQ(host.recorder.pages, 2);
    EXPECT_EQ(host.recorder.Images().back().page, 2);
}

TEST_F(PrintJobs, ListPrintPutsTheSymbolBackOnEveryPath) {
    zarvo::datalist::DataList unprintable;
    unprintable.Append(std::string(200, 'A'), "a", "b");
    unprintable.Append(std::string(300, 'B'), "c", "d");
    const std::vector<std::string> before = Shown();
    const QString refusal = U("リストに表示可能なデータがない為印刷出来ません。");

    const QString failure = QStringLiteral("the test printer fails at page 1");

    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<void(TPreviewForm&)> user;
        bool previewed;
        std::vector<QString> shown;
    } cases[] = {
        {"no item gives a symbol", [&] { host.list = unprintable; }, Close, false, {refusal}},
        {"an empty list", [&] { host.list.Clear(); }, Close, false, {refusal}},
        {"the preview closed", [&] { host.list = JapaneseItems(); }, Close, true, {}},
        {"printed", [&] { host.list = JapaneseItems(); }, Print, true, {}},
        {"the printer refusing the job",
         [&] {
             host.list = JapaneseItems();
             host.recorder.failAtPage = 1;
         },
         Print,
         true,
         {failure}},
    };
    for (Case& c : cases) {
        host.dialogs.shown.clear();
        c.arrange();
        EXPECT_EQ(ListPrint(c.user), c.previewed) << c.what;
        EXPECT_EQ(Shown(), before) << c.what;
        EXPECT_TRUE(host.qr.SymbolDisped()) << c.what;
        EXPECT_FALSE(host.qr.SymbolDebug()) << c.what;
        EXPECT_FALSE(host.fields.ListPrintMode) << c.what;
        EXPECT_EQ(host.dialogs.shown, c.shown) << c.what;
    }
    // The failed job was dropped
    EXPECT_TRUE(host.recorder.aborted);
    // The next normal print previews in normal mode
    host.recorder.failAtPage.reset();
    EXPECT_TRUE(NormalPrint([&](TPreviewForm& preview) {
        EXPECT_EQ(preview.windowTitle(), U("印刷プレビュー  :  1個"));
        Close(preview);
    }));
}

TEST(Spacing, PanelPressesStepTheValue) {
    struct {
        int32_t value;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        int32_t result;
    } cases[] = {
        {10, Qt::LeftButton, Qt::NoModifier, 9},
        {10, Qt::RightButton, Qt::ShiftModifier, 20},
        {10, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, 15},
        {10, Qt::LeftButton, Qt::AltModifier, 8},
        {3, Qt::LeftButton, Qt::ShiftModifier, 0},
        {1999, Qt::RightButton, Qt::ControlModifier, 2000},
        {10, Qt::MiddleButton, Qt::ShiftModifier, 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zarvo::printing::SpacingAfterPress(c.value, c.button, c.modifiers), c.result);
    EXPECT_EQ(zarvo::printing::RowSpaceCaption(10), U("行間隔 = 10"));
    EXPECT_EQ(zarvo::printing::ColSpaceCaption(0), U("列間隔 = 0"));
}

} // namespace
} // namespace printingtest
