// Normal and list print of twelve Japanese items onto Qt's PDF printer, chosen in the print
// dialog as a user chooses a PDF file; the pages rendered by pdftoppm, and every symbol on them
// read back by zxing-cpp.
#define ZX_USE_UTF8 1

#include "printing/preview.h"
#include "printing/printcommands.h"
#include "printing/qtprintdevice.h"
#include "tests/printing/printtest_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <gtest/gtest.h>

namespace printingtest {
namespace {

using zarvo::printing::TPreviewForm;

// The PDF's pages as images at 200 dpi.
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
    for (const QString& file : files)
        pages.emplace_back(dir + QLatin1Char('/') + file);
    return pages;
}

// The bytes of every QR code symbol on the page.
std::vector<std::string> Symbols(const QImage& page) {
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setMaxNumberOfSymbols(255);
    std::vector<std::string> found;
    for (const ZXing::Result& r :
         ZXing::ReadBarcodes({gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                              static_cast<int>(gray.bytesPerLine())},
                             hints))
        if (r.isValid())
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

} // namespace
} // namespace printingtest
