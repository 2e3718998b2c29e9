// Metafiles read by another program: LibreOffice converts our EMF, WMF and SVG files of symbol
// pictures to PNG (decoded by zxing-cpp to the data's bytes, at the picture's natural size) and
// to PDF (where pdftotext finds the Shift-JIS comment). All files go through one call per output
// format, because every call starts LibreOffice anew.
#include "component/picture/imagefiles.h"
#include "shared/cp932.h"
#include "tests/component/symbol_picture.h"
#include "tests/support/run_program.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>

namespace {

using namespace zarvo::component;
using namespace zarvo::component::picture_test;
using zarvo::shared::QStringToCp932;
using zarvo::testsupport::RunProgram;

struct Sample {
    QString name; // file name without extension
    std::string type;
    std::string data;
    int version, pixels;
};

Metafile SymbolMetafile(zarvo::encoder::SymbolEncoder& enc, const Sample& sample) {
    EncodeSymbol(enc, sample.data, sample.version);
    const SymbolLayout layout = LayoutOf(enc, sample.pixels, true);
    Metafile metafile;
    // The component's metafiles are one pixel larger than the drawing
    metafile.Width = layout.Width + 1;
    metafile.Height = layout.Height + 1;
    MetafileCanvas canvas(metafile);
    PaintSymbol(canvas, enc, sample.pixels, kComment);
    return metafile;
}

// The symbol's modules: whether each is dark, and the first one's corner in the picture.
struct Modules {
    std::vector<std::vector<bool>> dark;
    int left, top, pixels;
};

Modules ModulesOf(const zarvo::encoder::SymbolEncoder& enc, int pixels) {
    const SymbolLayout layout = LayoutOf(enc, pixels, true);
    Modules modules{{}, layout.ModuleLeft, layout.ModuleTop, pixels};
    for (int r = 0; r < enc.Side(); ++r) {
        modules.dark.emplace_back();
        for (int c = 0; c < enc.Side(); ++c)
            modules.dark.back().push_back(enc.Dark(r, c));
    }
    return modules;
}

// Modules whose centre pixel on the page has the wrong shade. LibreOffice centres the picture on
// the page at its natural size; the best of the placements within 2 pixels of the centred one is
// taken, as the rounding of half pixels is LibreOffice's.
int WrongModules(const QImage& page, QSize picture, const Modules& modules) {
    const int left = (page.width() - picture.width()) / 2;
    const int top = (page.height() - picture.height()) / 2;
    int best = std::numeric_limits<int>::max();
    const int side = static_cast<int>(modules.dark.size());
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            int wrong = 0;
            for (int r = 0; r < side; ++r)
                for (int c = 0; c < side; ++c) {
                    const int x = left + dx + modules.left + c * modules.pixels + modules.pixels / 2;
                    const int y = top + dy + modules.top + r * modules.pixels + modules.pixels / 2;
                    const bool dark = page.valid(x, y) && qGray(page.pixel(x, y)) < 128;
                    wrong += dark != modules.dark[static_cast<size_t>(r)][static_cast<size_t>(c)];
                }
            best = std::min(best, wrong);
        }
    return best;
}

TEST(LibreOffice, ConvertsOurMetafilesToTheSymbolAndItsComment) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString kanji = QString::fromUtf8("漢字のデータ、ＱＲコード");
    std::string longer;
    for (int i = 0; i < 3; ++i)
        longer += QStringToCp932(kanji) + "0123456789";
    const Sample samples[] = {
        {QStringLiteral("emf-v3"), "emf", kData, 3, 3},  {QStringLiteral("wmf-v3"), "wmf", kData, 3, 3},
        {QStringLiteral("emf-v7"), "emf", longer, 7, 2}, {QStringLiteral("wmf-v7"), "wmf", longer, 7, 2},
        {QStringLiteral("svg-v3"), "svg", kData, 3, 3},
    };
    QStringList files;
    std::vector<int> sides;
    std::vector<Modules> modules;
    std::vector<QSize> sizes;
    for (const Sample& s : samples) {
        zarvo::encoder::SymbolEncoder enc;
        const Metafile metafile = SymbolMetafile(enc, s);
        sides.push_back(enc.Side());
        modules.push_back(ModulesOf(enc, s.pixels));
        sizes.push_back(QSize(metafile.Width, metafile.Height));
        const QString file = dir.filePath(s.name + QLatin1Char('.') + QString::fromStdString(s.type));
        SavePicture(metafile, s.type, file.toStdString());
        files << file;
    }

    // One LibreOffice call per output format, with a profile of its own
    QElapsedTimer timer;
    timer.start();
    const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
    for (const QString& format : {QStringLiteral("png"), QStringLiteral("pdf")})
        RunProgram(QStringLiteral("soffice"),
                   QStringList{QStringLiteral("-env:UserInstallation=") + profile,
                               QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                               QStringLiteral("--outdir"), dir.filePath(format)} +
                       files,
                   dir.path());
    std::cout << "[ timing   ] LibreOffice converted " << files.size() << " files to PNG and PDF in "
              << timer.elapsed() << " ms\n";

    for (size_t i = 0; i < std::size(samples); ++i) {
        const Sample& s = samples[i];
        const std::string what = s.name.toStdString() + "." + s.type;
        const QImage page(dir.filePath(QStringLiteral("png/") + s.name + QStringLiteral(".png")));
        ASSERT_FALSE(page.isNull()) << what << ": no PNG";
        // Decoded from the whole A4 page, at the picture's natural size (96 dpi)
        const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
        const ZXing::Result result = zarvo::testsupport::ReadQrCode(gray);
        ASSERT_TRUE(result.isValid()) << what << ": zxing finds no symbol";
        EXPECT_EQ(std::vector<uint8_t>(result.bytes().begin(), result.bytes().end()), BytesOf(s.data))
            << what;
        const auto& corners = result.position();
        const double width = std::hypot(corners.topRight().x - corners.topLeft().x,
                                        corners.topRight().y - corners.topLeft().y);
        EXPECT_NEAR(width, sides[i] * s.pixels, 2.5 * s.pixels) << what << ": symbol width on the page";
        EXPECT_EQ(WrongModules(gray, sizes[i], modules[i]), 0) << what;

        const QString text = RunProgram(
            QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
             dir.filePath(QStringLiteral("pdf/") + s.name + QStringLiteral(".pdf")), QStringLiteral("-")},
            dir.path());
        EXPECT_TRUE(text.contains(QString::fromUtf8("上のコメント"))) << what << ": " << text.toStdString();
    }
}

} // namespace
