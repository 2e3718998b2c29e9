// Normal and list print of twelve Japanese items onto Qt's PDF printer, chosen in the print
// dialog as a user chooses a PDF file; the pages rendered by pdftoppm, and every symbol on them
// read back by zxing-cpp. The data list's text listing on the same printer, its text read back by
// pdftotext.
#include "printing/preview.h"
#include "printing/printcommands.h"
#include "printing/printtxt.h"
#include "printing/qtprintdevice.h"
#include "tests/printing/printtest_support.h"
#include "tests/support/read_qr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace printingtest {
namespace {

using zarvo::printing::TPreviewForm;

// The PDF's pages as images at 200 dpi, kept in dir (ZARVO_KEEP_PAGES names a directory to copy
// them to, for a look).
std::vector<QImage> Render(const QString& pdf, const QString& dir) {
    const QString prefix = dir + QStringLiteral("/page");
    QProcess pdftoppm;
    pdftoppm.start(QString::fromUtf8(PDFTOPPM),
                   {QStringLiteral("-r"), QStringLiteral("200"), QStringLiteral("-gray"),
                    QStringLiteral("-png"), pdf, prefix});
    EXPECT_TRUE(pdftoppm.waitForFinished(60000));
    EXPECT_EQ(pdftoppm.exitCode(), 0) << pdftoppm.readAllStandardError().toStdString();
    std::vector<QImage> pages;
    const QStringList files = QDir(dir).entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name);
    const QString keep = qEnvironmentVariable("ZARVO_KEEP_PAGES");
    for (const QString& file : files) {
        pages.emplace_back(dir + QLatin1Char('/') + file);
        if (!keep.isEmpty())
            QFile::copy(dir + QLatin1Char('/') + file,
                        keep + QLatin1Char('/') + QFileInfo(pdf).baseName() + file);
    }
    return pages;
}

// The PDF's text in the order it was drawn, without white space.
QString TextOf(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start(QString::fromUtf8(PDFTOTEXT), {QStringLiteral("-raw"), QStringLiteral("-enc"),
                                                   QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(pdftotext.waitForFinished(60000));
    EXPECT_EQ(pdftotext.exitCode(), 0) << pdftotext.readAllStandardError().toStdString();
    QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

// The bytes of every QR code symbol on the page.
std::vector<std::string> Symbols(const QImage& page) {
    std::vector<std::string> found;
    for (const ZXing::Result& r : zarvo::testsupport::ReadQrCodes(page))
        found.emplace_back(r.bytes().begin(), r.bytes().end());
    std::sort(found.begin(), found.end());
    return found;
}

class PdfPrint : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    FakeHost host;
    std::unique_ptr<zarvo::printing::QtPrintDevice> pdf;
    QString file;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("印刷.pdf"));
        pdf = std::make_unique<zarvo::printing::QtPrintDevice>(dir.filePath(QStringLiteral("default.pdf")));
        host.printer = pdf.get();
        // The user picks a PDF file in the print dialog
        host.dialogs.choosePrinter = [this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
        };
        host.list = JapaneseItems();
        host.Show(5);
    }
    static void Print(TPreviewForm& preview) { QTest::mouseClick(preview.Button1, Qt::LeftButton); }
};

TEST_F(PdfPrint, NormalPrintCopiesDecodeToTheShownItem) {
    host.printCount = 6;
    ASSERT_TRUE(WithModal<TPreviewForm>([&] { zarvo::printing::NormalPrint(host); }, Print));
    ASSERT_TRUE(host.dialogs.errors.empty()) << host.dialogs.errors.front().toStdString();
    ASSERT_TRUE(QFile::exists(file));
    const std::vector<QImage> pages = Render(file, dir.path());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Symbols(pages[0]), std::vector<std::string>(6, host.list.Code(5)));
}

TEST_F(PdfPrint, EveryPrintToAFileAsksForTheFile) {
    const QString first = file;
    ASSERT_TRUE(WithModal<TPreviewForm>([&] { zarvo::printing::NormalPrint(host); }, Print));
    file = dir.filePath(QStringLiteral("second.pdf"));
    ASSERT_TRUE(WithModal<TPreviewForm>([&] { zarvo::printing::NormalPrint(host); }, Print));
    EXPECT_EQ(host.dialogs.printDialogs, 2);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(file));
    // Cancelled: nothing printed, the preview stays
    host.dialogs.printAnswer = false;
    EXPECT_TRUE(WithModal<TPreviewForm>([&] { zarvo::printing::NormalPrint(host); },
                                        [](TPreviewForm& preview) {
                                            Print(preview);
                                            EXPECT_TRUE(preview.isVisible());
                                            preview.reject();
                                        }));
    EXPECT_EQ(host.dialogs.printDialogs, 3);
}

TEST_F(PdfPrint, ListPrintOfTwelveJapaneseItemsDecodesItemByItem) {
    const std::string shown = host.qr.Code();
    ASSERT_TRUE(WithModal<TPreviewForm>([&] { zarvo::printing::ListPrint(host); }, Print));
    ASSERT_TRUE(host.dialogs.errors.empty()) << host.dialogs.errors.front().toStdString();
    const std::vector<QImage> pages = Render(file, dir.path());
    ASSERT_EQ(pages.size(), 1u);
    std::vector<std::string> expected = host.list.Codes();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Symbols(pages[0]), expected);
    EXPECT_EQ(host.qr.Code(), shown);
}

TEST_F(PdfPrint, APdfFileThatCannotBeWrittenIsReported) {
    file = dir.filePath(QStringLiteral("missing/dir/x.pdf"));
    ASSERT_TRUE(WithModal<TPreviewForm>([&] { zarvo::printing::NormalPrint(host); }, Print));
    ASSERT_EQ(host.dialogs.errors.size(), 1u);
    EXPECT_TRUE(host.dialogs.errors[0].contains(file)) << host.dialogs.errors[0].toStdString();
}

using TextListingPdf = PdfPrint;

TEST_F(TextListingPdf, ThreeHundredItemsInTwoColumnsReadBackInOrder) {
    zarvo::datalist::DataList items;
    for (int i = 1; i <= 300; ++i) {
        const std::string n = std::to_string(i);
        items.Append(S("東京タワー第") + n + S("号"), S("上の") + n, S("下の") + n);
    }
    file = dir.filePath(QStringLiteral("listing.pdf"));
    zarvo::printing::PrintDataList(*pdf, host.dialogs, nullptr, items, 2, Gothic9());
    ASSERT_TRUE(host.dialogs.shown.empty()) << host.dialogs.shown.front().toStdString();
    const std::vector<QImage> pages = Render(file, dir.path());
    ASSERT_GE(pages.size(), 2u);

    // Every item's upper comment, symbol string and lower comment, numbered in four places, in
    // order, each close after the one before (the titles, dates and block numbers of the pages
    // come between)
    const QString text = TextOf(file);
    qsizetype at = 0;
    for (int i = 0; i < items.Count(); ++i) {
        for (const std::string* line : {&items.Up(i), &items.Code(i), &items.Down(i)}) {
            const QString expected =
                QString::number(i + 1) + QLatin1Char(':') + zarvo::shared::Cp932ToQString(*line);
            const qsizetype found = text.indexOf(expected, at);
            ASSERT_TRUE(found >= at && found - at < 120)
                << "item " << i + 1 << ": " << expected.toStdString();
            at = found + expected.size();
        }
    }
    EXPECT_EQ(text.count(U("データ一覧")), static_cast<qsizetype>(pages.size()));
    EXPECT_TRUE(text.contains(QStringLiteral("-3--4-"))) << "page 2 carries the block numbers 3 and 4";
}

TEST_F(TextListingPdf, WrappedLinesStayInTheirColumns) {
    // Long kanji and ASCII lines in three columns: as measured, so drawn; nothing reaches into the
    // gaps between the columns
    const std::string kanji = KanjiLine(30), ascii = LatinLine(20);
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += kanji + "\r\n" + ascii + "\r\n";
    file = dir.filePath(QStringLiteral("columns.pdf"));
    ASSERT_TRUE(pdf->Choose(nullptr, host.dialogs));
    const auto f = Gothic9();
    ASSERT_GT(zarvo::printing::PrintText(*pdf, text, S("列"), f, 8, 0, 76, 76, 76, 92, 3, 32, 7, f, 1), 0);
    const std::vector<QImage> pages = Render(file, dir.path());
    ASSERT_EQ(pages.size(), 1u);
    const zarvo::printing::PrinterMetrics m = zarvo::printing::MeasurePrinter(*pdf);
    const zarvo::printing::TextPage page = zarvo::printing::PlaceTextPage(m, 76, 76, 76, 92, 3, 32);
    const QImage gray = pages[0].convertToFormat(QImage::Format_Grayscale8);
    const double scale = static_cast<double>(gray.width()) / m.PhysicalWidth;
    int inked = 0;
    for (int gap = 0; gap < 2; ++gap) {
        // the gap after the column, less the pixel a line may take beyond it and the rendered pixel
        // the next column's first letters share with it
        const int from =
            static_cast<int>(std::ceil((page.Left + (gap + 1) * page.ColumnWidth + gap * 32 + 2) * scale));
        const int to =
            static_cast<int>(std::floor((page.Left + (gap + 1) * (page.ColumnWidth + 32)) * scale)) - 1;
        ASSERT_LT(from, to);
        for (int y = 0; y < gray.height(); ++y)
            for (int x = from; x < to; ++x)
                ASSERT_GT(qGray(gray.pixel(x, y)), 200) << "ink at " << x << ", " << y;
        // and the columns themselves are filled up to the gap
        for (int y = 0; y < gray.height(); ++y)
            for (int x = from - static_cast<int>(40 * scale); x < from; ++x)
                inked += qGray(gray.pixel(x, y)) < 128;
    }
    EXPECT_GT(inked, 100);
    // every piece drawn, in order
    const QString drawn = TextOf(file);
    EXPECT_EQ(drawn.count(zarvo::shared::Cp932ToQString(S("漢字東京"))), 8 * 30);
    EXPECT_EQ(drawn.count(QStringLiteral("ThequickbrownfoxWWW")), 8 * 20);
}

} // namespace
} // namespace printingtest
