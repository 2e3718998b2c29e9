// The text printer on the recording printer (600 dpi, A4, printable from (100, 101)), in the data
// list's fonts: where body, title, date and block numbers land, margins raised to the border, pages
// and copies, what prints nothing, and the data list window's "印刷" pressed by a user.
#include "datalist/datagridview.h"
#include "datalist/datalist.h"
#include "printing/printdevice.h"
#include "printing/printtxt.h"
#include "printing/textlisting.h"
#include "tests/datalist/fakehost.h"
#include "tests/printing/printtest_support.h"

#include <QLabel>
#include <QPushButton>
#include <cstdlib>
#include <gtest/gtest.h>

namespace printingtest {
namespace {

using zarvo::component::TFont;
using zarvo::datalist::DataList;
using zarvo::printing::PrinterTextCanvas;

// Items whose lines can be told apart: "東京N", "上N", "下N".
DataList NumberedItems(int count) {
    DataList list;
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        list.Append(S("東京") + n, S("上") + n, S("下") + n);
    }
    return list;
}

// The listing's arguments (title "データ一覧", tabs 8, no numbers, margins 76/76/76/92, gap 32,
// every header) with columns and copies of the test's choosing.
int32_t PrintListing(RecordingDevice& device, const std::string& text, int32_t columns = 1,
                     int32_t copies = 1) {
    return zarvo::printing::PrintText(device, text, S("データ一覧"), Gothic9(), 8, 0, 76, 76, 76, 92, columns,
                                      32, 7, Gothic9(), copies);
}

// The texts painted on a page, in order; the pieces that one text falls into where its script
// changes (katakana, kanji, digits) joined again.
std::vector<Painted> OnPage(const RecordingDevice& device, int page) {
    const PrinterTextCanvas font(Gothic9(), 600);
    std::vector<Painted> texts;
    for (const Painted& p : device.Texts()) {
        if (p.page != page)
            continue;
        if (!texts.empty()) {
            Painted& last = texts.back();
            const int end = last.rect.x() + font.Extent(zarvo::shared::QStringToCp932(last.text)).Width;
            if (last.rect.y() == p.rect.y() && std::abs(p.rect.x() - end) <= 2) {
                last.text += p.text;
                continue;
            }
        }
        texts.push_back(p);
    }
    return texts;
}

const Painted* Find(const std::vector<Painted>& texts, const QString& text) {
    for (const Painted& p : texts)
        if (p.text == text)
            return &p;
    return nullptr;
}

class TextPrint : public ::testing::Test {
  protected:
    RecordingDevice recorder;
    // The fonts as the printer has them: 9 points at 600 dpi
    PrinterTextCanvas font{Gothic9(), 600};
    int32_t Height() const { return font.Extent("\x8A\xBF\x8E\x9A").Height; }
    int32_t Width(const QString& text) const {
        return font.Extent(zarvo::shared::QStringToCp932(text)).Width;
    }
};

TEST_F(TextPrint, EverythingWhereTheTableSaysWithMarginsOf456Pixels) {
    const int32_t blocks = PrintListing(recorder, zarvo::printing::ListingText(NumberedItems(3)));
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(recorder.jobs, 1);
    EXPECT_EQ(recorder.title, U("データ一覧"));
    EXPECT_EQ(recorder.pages, 1);
    EXPECT_TRUE(recorder.ended);
    const std::vector<Painted> texts = OnPage(recorder, 1);
    ASSERT_EQ(texts.size(), 9u + 3u);

    // The body: 76 hundredths at 600 dpi are 456 pixels, on a printable area from (100, 101)
    EXPECT_EQ(texts[0].text, U(" 1: 上1"));
    EXPECT_EQ(texts[0].rect.topLeft(), QPoint(456 - 100, 456 - 101 + font.Ascent()));
    EXPECT_EQ(texts[1].text, U(" 1: 東京1"));
    EXPECT_EQ(texts[1].rect.y(), texts[0].rect.y() + Height());
    EXPECT_EQ(texts[8].text, U(" 3: 下3"));
    EXPECT_EQ(texts[8].rect.y(), texts[0].rect.y() + 8 * Height());

    // Title and date in the middle of the top margin's printable part, date ending at the margin
    const int32_t top = (456 - 101 - Height()) / 2 + font.Ascent();
    EXPECT_EQ(texts[9].text, U("データ一覧"));
    EXPECT_EQ(texts[9].rect.topLeft(), QPoint(356, top));
    EXPECT_EQ(texts[10].rect.y(), top);
    EXPECT_EQ(texts[10].rect.x() + Width(texts[10].text), 4960 - 100 - 456);
    // The block number centred under the block in the bottom margin's printable part
    EXPECT_EQ(texts[11].text, QStringLiteral("-1-"));
    EXPECT_EQ(texts[11].rect.topLeft(),
              QPoint(356 + (4960 - 912 - Width(QStringLiteral("-1-"))) / 2,
                     (552 - 101 - Height()) / 2 + 7016 - 101 - 552 + font.Ascent()));
}

TEST_F(TextPrint, MarginsInsideTheBorderAreRaisedToIt) {
    // Borders of 500 and 600 pixels: 76 (456 pixels) becomes 83 and 100 hundredths, 498 and 600
    // pixels; no room is left above the body for the title and the date
    recorder.metrics.OffsetX = 500;
    recorder.metrics.OffsetY = 600;
    recorder.metrics.PageWidth = 3900;
    recorder.metrics.PageHeight = 6000;
    PrintListing(recorder, zarvo::printing::ListingText(NumberedItems(1)));
    const std::vector<Painted> texts = OnPage(recorder, 1);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].rect.topLeft(), QPoint(498 - 500, 0 + font.Ascent()));
    EXPECT_EQ(texts[3].text, QStringLiteral("-1-"));
}

TEST_F(TextPrint, TwoColumnsAPageNumberedThroughTheDocument) {
    const int32_t blocks = PrintListing(recorder, zarvo::printing::ListingText(NumberedItems(100)), 2);
    ASSERT_GE(blocks, 4);
    EXPECT_EQ(recorder.pages, (blocks + 1) / 2);
    const std::vector<Painted> page2 = OnPage(recorder, 2);
    const Painted* three = Find(page2, QStringLiteral("-3-"));
    const Painted* four = Find(page2, QStringLiteral("-4-"));
    ASSERT_TRUE(three && four);
    EXPECT_FALSE(Find(page2, QStringLiteral("-1-")));
    const int32_t column = (4960 - 912 - 32) / 2;
    EXPECT_EQ(three->rect.x(), 356 + (column - Width(three->text)) / 2);
    EXPECT_EQ(four->rect.x(), 356 + column + 32 + (column - Width(four->text)) / 2);
    // Block 3 begins at the top of the left column with the line after block 2's last
    const std::vector<Painted> page1 = OnPage(recorder, 1);
    EXPECT_EQ(page2.front().rect.topLeft(), page1.front().rect.topLeft());
    EXPECT_EQ(Find(page1, page2.front().text), nullptr);
}

TEST_F(TextPrint, CopiesRepeatTheWholeDocument) {
    const std::string text = zarvo::printing::ListingText(NumberedItems(100));
    const int32_t blocks = PrintListing(recorder, text, 2, 2);
    const int pages = (blocks + 1) / 2;
    EXPECT_EQ(recorder.pages, 2 * pages);
    const std::vector<Painted> first = OnPage(recorder, 1), again = OnPage(recorder, pages + 1);
    ASSERT_EQ(first.size(), again.size());
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i].text, again[i].text);
}

TEST_F(TextPrint, NothingToPrintBeginsNoJob) {
    const std::string text = "a\r\n";
    const TFont f = Gothic9();
    struct {
        const char* what;
        std::string text;
        int32_t tabWidth, numbering, columns, gap, copies;
    } cases[] = {
        {"empty text", "", 8, 0, 1, 32, 1},       {"columns too narrow for a line", text, 8, 0, 256, 32, 1},
        {"tab width 33", text, 33, 0, 1, 32, 1},  {"negative tab width", text, -1, 0, 1, 32, 1},
        {"numbering 9", text, 8, 9, 1, 32, 1},    {"numbering -9", text, 8, -9, 1, 32, 1},
        {"no columns", text, 8, 0, 0, 32, 1},     {"257 columns", text, 8, 0, 257, 32, 1},
        {"a negative gap", text, 8, 0, 1, -1, 1}, {"a gap of 1025", text, 8, 0, 1, 1025, 1},
        {"no copies", text, 8, 0, 1, 32, 0},      {"1001 copies", text, 8, 0, 1, 32, 1001},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zarvo::printing::PrintText(recorder, c.text, "t", f, c.tabWidth, c.numbering, 76, 76, 76,
                                             92, c.columns, c.gap, 7, f, c.copies),
                  0)
            << c.what;
        EXPECT_EQ(recorder.jobs, 0) << c.what;
        EXPECT_TRUE(recorder.painted.empty()) << c.what;
    }
}

TEST_F(TextPrint, KanjiLinesBreakBetweenCharactersWithinTheColumn) {
    // A long line of kanji, another of ASCII, and a tab, in four narrow columns
    const std::string kanji = KanjiLine(60), ascii = LatinLine(40);
    const std::string text = kanji + "\r\n" + ascii + "\r\n" + "abc\tX\r\n";
    const TFont f = Gothic9();
    const int32_t blocks =
        zarvo::printing::PrintText(recorder, text, "t", f, 8, 3, 76, 76, 76, 92, 4, 32, 0, f, 1);
    ASSERT_EQ(blocks, 1);
    const int32_t column = (4960 - 912 - 3 * 32) / 4;
    QString joinedKanji, joinedAscii;
    int numbered = 0;
    for (const Painted& p : OnPage(recorder, 1)) {
        // Every piece numbered on ("%3d: "), no wider than its column, no character split
        ++numbered;
        EXPECT_TRUE(p.text.startsWith(QStringLiteral("%1: ").arg(numbered, 3))) << p.text.toStdString();
        EXPECT_LE(Width(p.text), column + 1) << p.text.toStdString();
        EXPECT_FALSE(p.text.contains(QChar(0xFFFD))) << p.text.toStdString();
        const QString piece = p.text.mid(5);
        if (piece.at(0).unicode() > 0x7F)
            joinedKanji += piece;
        else if (piece != QStringLiteral("abc     X"))
            joinedAscii += piece;
    }
    EXPECT_EQ(joinedKanji, zarvo::shared::Cp932ToQString(kanji));
    EXPECT_EQ(joinedAscii, QString::fromLatin1(ascii.c_str()));
    EXPECT_GT(numbered, 10);
    // A tab at position 3 with tab stops of 8: five spaces
    EXPECT_EQ(OnPage(recorder, 1).back().text.mid(5), QStringLiteral("abc     X"));
}

// The main window as the data list window sees it, with the listing printed as the main window's
// host prints it: through PrintDataList on the program's printer and dialogs.
class PrintingListHost : public zarvo::datalist::FakeHost {
  public:
    bool CanPrintList() const override { return true; }
    void PrintList(QWidget* parent, const DataList& items, int32_t partition, const TFont& font) override {
        FakeHost::PrintList(parent, items, partition, font);
        zarvo::printing::PrintDataList(recorder, dialogs, parent, items, partition, font);
    }
    RecordingDevice recorder;
    ScriptedDialogs dialogs;
};

TEST(DataListPrint, ThePrintButtonPrintsTheListingInThePanelsColumns) {
    PrintingListHost host;
    host.list = NumberedItems(100);
    zarvo::datalist::TDataListForm form(host);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.Panel3, Qt::RightButton);
    ASSERT_EQ(form.Partition, 2);
    ASSERT_TRUE(form.Button6->isEnabled());

    // Cancelled in the print dialog: nothing printed
    host.dialogs.printAnswer = false;
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_EQ(host.dialogs.printDialogs, 1);
    EXPECT_EQ(host.recorder.jobs, 0);

    host.dialogs.printAnswer = true;
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_EQ(host.dialogs.printDialogs, 2);
    EXPECT_TRUE(host.dialogs.shown.empty());
    RecordingDevice& printed = host.recorder;
    EXPECT_EQ(printed.title, U("データ一覧"));
    EXPECT_GE(printed.pages, 2);
    EXPECT_TRUE(Find(OnPage(printed, 2), QStringLiteral("-3-")));
    EXPECT_TRUE(Find(OnPage(printed, 2), QStringLiteral("-4-")));
    EXPECT_EQ(OnPage(printed, 1).front().text, U("   1: 上1"));
    EXPECT_TRUE(form.StringGrid1->hasFocus());
}

TEST(DataListPrint, WhatCannotBePrintedIsSaid) {
    RecordingDevice recorder;
    ScriptedDialogs dialogs;
    // An empty list: nothing asked, nothing printed
    zarvo::printing::PrintDataList(recorder, dialogs, nullptr, DataList(), 1, Gothic9());
    EXPECT_EQ(dialogs.printDialogs, 0);
    // 24 columns are narrower than one kanji of 30 points
    TFont large = Gothic9();
    large.Size = 30;
    zarvo::printing::PrintDataList(recorder, dialogs, nullptr, NumberedItems(3), 24, large);
    EXPECT_EQ(recorder.jobs, 0);
    EXPECT_EQ(dialogs.shown,
              (std::vector<QString>{U("段の幅が狭すぎて印刷出来ません。印刷の段数を減らして下さい。")}));
    // The printer's error is reported, the job dropped
    recorder.failAtPage = 1;
    zarvo::printing::PrintDataList(recorder, dialogs, nullptr, NumberedItems(3), 1, Gothic9());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(recorder.aborted);
    EXPECT_EQ(recorder.jobs, 1);
}

} // namespace
} // namespace printingtest
