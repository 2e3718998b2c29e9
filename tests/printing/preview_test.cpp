// The preview window on a 1024 × 768 screen at 96 dpi with the recording printer (600 dpi,
// 4760 × 6814): its sizes, frames and labels, paging, "等倍", copy and save, the list mode's page
// count, and the progress window while pages are drawn.
#include "component/picture/imagefiles.h"
#include "printing/preview.h"
#include "printing/printcommands.h"
#include "tests/component/symbol_picture.h"
#include "tests/printing/printtest_support.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace printingtest {
namespace {

using zarvo::printing::TPreviewForm;

std::string Decode(const QImage& image) {
    const std::vector<uint8_t> bytes = zarvo::component::picture_test::ZxingBytes(image);
    return std::string(bytes.begin(), bytes.end());
}

bool White(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// Inside the upper left finder pattern of a 94-pixel picture drawn 52 pixels wide (its modules
// 18..31 become 10..17).
constexpr int kFinder = 14;

class Preview : public ::testing::Test {
  protected:
    FakeHost host;
    std::unique_ptr<TPreviewForm> preview;

    void SetUp() override {
        host.list = JapaneseItems();
        host.Show(0); // a 94 × 94 picture: 587 × 587 printer pixels, 80 to a page
        ASSERT_EQ(host.qr.Width(), 94);
    }
    void TearDown() override {
        if (preview)
            preview->close();
    }
    TPreviewForm& Open() {
        preview = std::make_unique<TPreviewForm>(host);
        preview->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(preview.get()));
        return *preview;
    }
    void Key(Qt::Key key) { QTest::keyClick(preview->windowHandle(), key); }
    const QImage& Image() const { return preview->Image1->Picture(); }
};

TEST_F(Preview, SizesItselfForTwoPagesOnTheScreenItIsOn) {
    TPreviewForm& p = Open();
    EXPECT_EQ(p.PreviewScale, 9); // min((1024 × 99 ÷ 4760) ÷ 2, 768 × 80 ÷ 6814)
    EXPECT_EQ(p.width(), 891);    // 9520 × 9 ÷ 100 + 35
    EXPECT_EQ(p.height(), 613 + p.Panel1->height() + 20);
    EXPECT_EQ(p.PageBitmap().size(), QSize(428, 613));
    EXPECT_EQ(p.Image1->geometry(), QRect(0, p.Panel1->height(), 891, 633));
    EXPECT_EQ(Image().size(), QSize(891, 633));
    EXPECT_EQ(p.Label2->x(), 448);
    EXPECT_EQ(p.windowTitle(), U("印刷プレビュー  :  1個"));
    // The devices as measured, for the print that follows
    EXPECT_EQ(host.fields.PrinterDpiX, 600);
    EXPECT_EQ(host.fields.PageWidth, 4760);
    EXPECT_EQ(host.fields.PageHeight, 6814);
    EXPECT_EQ(host.fields.ScreenDpiX, 96);
    EXPECT_EQ(host.fields.ScreenDpiY, 96);
}

TEST_F(Preview, OnePictureShowsPageOneOnly) {
    TPreviewForm& p = Open();
    EXPECT_EQ(p.PageCount, 1);
    EXPECT_EQ(p.Label1->text(), U("1ページ目"));
    EXPECT_EQ(p.Label2->text(), QString());
    EXPECT_FALSE(p.Button3->isEnabled());
    EXPECT_FALSE(p.Button4->isEnabled());
    const QImage& image = Image();
    EXPECT_FALSE(White(image, 5, 5));     // the left frame's corner
    EXPECT_FALSE(White(image, 442, 300)); // its right edge (428 + 15 - 1)
    EXPECT_TRUE(White(image, 448, 5));    // no right frame
    EXPECT_TRUE(White(image, 890 - 5, 300));
    // The picture at the page's top-left, 52 × 52 (587 × 9 ÷ 100), and nothing beside it
    EXPECT_FALSE(White(image, 10 + kFinder, 10 + kFinder));
    EXPECT_TRUE(White(image, 10 + 60, 10 + kFinder));
}

TEST_F(Preview, PagesThroughThreePages) {
    host.printCount = 200; // 80 to a page
    TPreviewForm& p = Open();
    EXPECT_EQ(p.PageCount, 3);
    EXPECT_EQ(p.SymbolsPerPage, 80);
    EXPECT_TRUE(p.Button4->isEnabled());
    EXPECT_FALSE(p.Button3->isEnabled());
    EXPECT_EQ(p.Label2->text(), U("2ページ目"));
    EXPECT_FALSE(White(Image(), 448, 5)); // the right frame
    QTest::mouseClick(p.Button4, Qt::LeftButton);
    EXPECT_EQ(p.CurrentPage, 2);
    EXPECT_EQ(p.Label1->text(), U("2ページ目"));
    EXPECT_EQ(p.Label2->text(), U("3ページ目"));
    EXPECT_FALSE(p.Button4->isEnabled()); // page 3 is the last, already on the right
    EXPECT_TRUE(p.Button3->isEnabled());
    // Page 3 holds 40 copies: five rows of eight, the sixth row empty
    const int right = 10 + 428 + 15;
    // Rows 57 apart on the preview: 587 × 9 ÷ 100 = 52 and the gap 62 × 9 ÷ 100 = 5
    EXPECT_FALSE(White(Image(), right + kFinder, 10 + 4 * 57 + kFinder));
    EXPECT_TRUE(White(Image(), right + kFinder, 10 + 5 * 57 + kFinder));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&p)); // the progress window gave the keyboard back
    // The keyboard pages too
    Key(Qt::Key_PageUp);
    EXPECT_EQ(p.CurrentPage, 1);
    Key(Qt::Key_PageUp); // nothing before page 1
    EXPECT_EQ(p.CurrentPage, 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(p.CurrentPage, 2);
}

TEST_F(Preview, SameSizeShowsThePictureAtItsScreenSize) {
    TPreviewForm& p = Open();
    QTest::mouseClick(p.Button5, Qt::LeftButton);
    EXPECT_EQ(host.magnification, 177); // 96 × 10000 ÷ 9 ÷ 600
    EXPECT_TRUE(host.fields.SameSizeSwitch);
    EXPECT_FALSE(p.Button5->isEnabled());
    EXPECT_EQ(p.CurrentPage, 1);
    // 94 × 600 × 177 ÷ 96 ÷ 100 = 1039 printer pixels, 93 on the preview: readable as it is
    EXPECT_EQ(Decode(Image().copy(0, 0, 200, 200)), host.list.Code(0));
    p.close();

    struct {
        const char* what;
        std::function<void()> change;
        bool enabled;
    } cases[] = {
        {"nothing changed", [] {}, false},
        {"another printer", [&] { host.recorder.metrics.DpiX = host.recorder.metrics.DpiY = 300; }, true},
        {"the magnification changed by the user",
         [&] {
             host.magnification = 178;
             zarvo::printing::PrintMagnificationClicked(host);
         },
         true},
        {"the printer set up", [&] { zarvo::printing::PrinterSetup(host); }, true},
    };
    for (const auto& c : cases) {
        host.recorder.metrics.DpiX = host.recorder.metrics.DpiY = 600;
        host.magnification = 177;
        host.fields.SameSizeSwitch = true;
        c.change();
        Open();
        EXPECT_EQ(preview->Button5->isEnabled(), c.enabled) << c.what;
        EXPECT_EQ(host.fields.SameSizeSwitch, !c.enabled) << c.what;
        preview->close();
    }
}

TEST_F(Preview, CopiesThePreviewImage) {
    TPreviewForm& p = Open();
    QTest::mouseClick(p.Button6, Qt::LeftButton);
    ASSERT_TRUE(host.clipboard->last);
    const QImage copied = qvariant_cast<QImage>(host.clipboard->last->imageData());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), Image());
}

TEST_F(Preview, SavesAsBitmapOrJpegByTheExtension) {
    QTemporaryDir dir;
    host.programDir = QFile::encodeName(dir.path()).toStdString();
    TPreviewForm& p = Open();
    struct {
        const char* name;
        const char* magic;
    } cases[] = {{"Preview.bmp", "BM"},
                 {"PAGE.JPG", "\xFF\xD8\xFF"},
                 {"page.jpeg", "\xFF\xD8\xFF"},
                 {"page.png", "BM"}};
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        host.dialogs.nextPaths.push_back(path);
        QTest::mouseClick(p.Button7, Qt::LeftButton);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(QByteArray(c.magic))) << c.name;
        QImage read;
        ASSERT_TRUE(read.loadFromData(bytes)) << c.name;
        EXPECT_EQ(read.size(), Image().size()) << c.name;
    }
    const zarvo::shared::FileDialogRequest& asked = host.dialogs.fileRequests.back();
    EXPECT_EQ(asked.Directory, dir.path());
    EXPECT_EQ(asked.FileName, QStringLiteral("Preview.bmp"));
    EXPECT_EQ(asked.Filter, U("ビットマップ(*.bmp)|*.bmp|全てのファイル(*.*)|*.*"));
    EXPECT_EQ(asked.DefaultExtension, QStringLiteral("bmp"));
    // Cancelled: nothing written; a file that cannot be written: reported
    QTest::mouseClick(p.Button7, Qt::LeftButton);
    host.dialogs.nextPaths.push_back(dir.filePath(QStringLiteral("missing/dir/x.bmp")));
    QTest::mouseClick(p.Button7, Qt::LeftButton);
    EXPECT_EQ(host.dialogs.errors.size(), 1u);
}

TEST_F(Preview, ListModeCountsItsPagesOnceItReachesTheLastItem) {
    host.fields.ListPrintMode = true;
    host.fields.ListPrintCount = 12;
    TPreviewForm& p = Open();
    EXPECT_EQ(p.windowTitle(), U("リスト印刷プレビュー  :  12個"));
    EXPECT_EQ(p.PageCount, 1); // all twelve on page 1
    EXPECT_EQ(p.Label2->text(), QString());
    EXPECT_FALSE(p.Button4->isEnabled());
    // Twelve pictures: eight in the first row, four in the second
    EXPECT_FALSE(White(Image(), 10 + 7 * 52 + kFinder, 10 + kFinder));
    EXPECT_FALSE(White(Image(), 10 + 3 * 52 + kFinder, 10 + 57 + kFinder));
    EXPECT_TRUE(White(Image(), 10 + 4 * 52 + kFinder, 10 + 57 + kFinder));
}

TEST_F(Preview, ListModeDrawsOnlyAsFarAsItShows) {
    zarvo::datalist::DataList many;
    for (int i = 0; i < 240; ++i) // three pages of 80
        many.Append("item " + std::to_string(i), "", "");
    host.list = many;
    host.fields.ListPrintMode = true;
    int drawn = 0;
    bool progressShown = true;
    int progressMaximum = 0;
    host.qr.SetOnPaintedSymbol([&](TQRCode*, bool) {
        ++drawn;
        progressShown = progressShown && host.progress.isVisible();
        progressMaximum = host.progress.ProgressBar1->maximum();
    });
    TPreviewForm& p = Open();
    // Pages 1 and 2, and the first item of page 3 that ends the drawing
    EXPECT_EQ(drawn, 161);
    EXPECT_EQ(p.PageCount, 10000);
    EXPECT_TRUE(p.Button4->isEnabled());
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(progressMaximum, 160); // min(2 × 80, 240)
    EXPECT_FALSE(host.progress.isVisible());
    drawn = 0;
    Key(Qt::Key_PageDown);
    EXPECT_EQ(drawn, 240);
    EXPECT_EQ(p.CurrentPage, 2);
    EXPECT_EQ(p.PageCount, 3);
    EXPECT_FALSE(p.Button4->isEnabled());
    EXPECT_EQ(p.Label2->text(), U("3ページ目"));
}

TEST(Progress, AnswersTheEventLoopWhileItSteps) {
    zarvo::printing::TProgressForm progress;
    progress.Begin(1000);
    EXPECT_TRUE(progress.isVisible());
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    QThread::msleep(60);
    progress.StepIt();
    EXPECT_TRUE(delivered);
    EXPECT_EQ(progress.ProgressBar1->value(), 1);
    progress.End();
    EXPECT_FALSE(progress.isVisible());
    // The bar stops at its maximum
    progress.Begin(2);
    for (int i = 0; i < 5; ++i)
        progress.StepIt();
    EXPECT_EQ(progress.Position(), 2);
    progress.End();
}

} // namespace
} // namespace printingtest
