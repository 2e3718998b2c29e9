// Image files: BMP of every depth field by field, JPEG through libjpeg (errors included), PNG,
// SVG, file types by name, atomic saving; and every raster file of a symbol picture read back by
// Qt's readers and decoded by zxing-cpp to the data's bytes.
#include "component/picture/canvas.h"
#include "component/picture/imagefiles.h"
#include "shared/filewrite.h"
#include "tests/component/symbol_picture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace {

using namespace zarvo::component;
using zarvo::shared::FileWriteError;
using zarvo::shared::WriteFileAtomically;
using namespace zarvo::component::picture_test;
using Bytes = std::vector<uint8_t>;

QImage Read(const Bytes& bytes, const char* format) {
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), format);
}

Bitmap RandomBitmap(std::mt19937& rng, int width, int height, int bpp) {
    Bitmap bitmap(width, height, bpp);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < bitmap.Stride(); ++i)
            bitmap.Row(y)[i] = static_cast<uint8_t>(byte(rng));
    for (QRgb& c : bitmap.Palette)
        c = qRgb(byte(rng), byte(rng), byte(rng));
    return bitmap;
}

// A symbol picture of kData with the comment above it, drawn on a 32-bit bitmap.
Bitmap SymbolBitmap(int pixels, int version = 3) {
    zarvo::encoder::SymbolEncoder enc;
    EncodeSymbol(enc, kData, version);
    const SymbolLayout layout = LayoutOf(enc, pixels, true);
    Bitmap bitmap(layout.Width, layout.Height, 32);
    BitmapCanvas canvas(bitmap);
    PaintSymbol(canvas, enc, pixels, kComment);
    return bitmap;
}

Metafile SymbolMetafile(int pixels) {
    zarvo::encoder::SymbolEncoder enc;
    EncodeSymbol(enc, kData, 3);
    const SymbolLayout layout = LayoutOf(enc, pixels, true);
    Metafile metafile;
    metafile.Width = layout.Width;
    metafile.Height = layout.Height;
    MetafileCanvas canvas(metafile);
    PaintSymbol(canvas, enc, pixels, kComment);
    return metafile;
}

Bytes ReadFile(const QString& name) {
    std::ifstream in(name.toStdString(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- BMP ----

TEST(Bmp, HeaderAndRowsKeepTheBitmapsOwnFormat) {
    std::mt19937 rng(3);
    for (const int bpp : {1, 4, 8, 16, 24, 32}) {
        const Bitmap bitmap = RandomBitmap(rng, 13, 7, bpp);
        const Bytes bmp = EncodeBmp(bitmap);
        const uint32_t colors = bpp <= 8 ? 1u << bpp : 0;
        const uint32_t offBits = 14 + 40 + 4 * colors;
        const auto stride = static_cast<uint32_t>(bitmap.Stride());
        EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
        EXPECT_EQ(U32(bmp, 2), bmp.size()) << bpp;
        EXPECT_EQ(U32(bmp, 10), offBits);
        EXPECT_EQ(U32(bmp, 14), 40u);
        EXPECT_EQ(std::make_tuple(U32(bmp, 18), U32(bmp, 22), U16(bmp, 26), U16(bmp, 28), U32(bmp, 30)),
                  std::make_tuple(13u, 7u, 1u, static_cast<uint32_t>(bpp), 0u))
            << "width, height (bottom-up), planes, depth, BI_RGB";
        EXPECT_EQ(U32(bmp, 34), stride * 7);
        EXPECT_EQ(std::make_tuple(U32(bmp, 38), U32(bmp, 42)), std::make_tuple(3780u, 3780u)); // 96 dpi
        EXPECT_EQ(U32(bmp, 46), colors);
        EXPECT_EQ(bmp.size(), offBits + stride * 7);
        for (uint32_t i = 0; i < colors; ++i) {
            const QRgb c = bitmap.Palette[i];
            EXPECT_EQ(U32(bmp, 54 + 4 * i), static_cast<uint32_t>(qBlue(c) | qGreen(c) << 8 | qRed(c) << 16));
        }
        // The file's first row is the bitmap's last; the bits of its pixels are the bitmap's
        const int bits = 13 * bpp;
        for (int y = 0; y < 7; ++y) {
            const uint8_t* row = &bmp[offBits + static_cast<size_t>(6 - y) * stride];
            int wrong = 0;
            for (int bit = 0; bit < bits; ++bit) {
                if (bpp == 32 && bit % 32 >= 24)
                    continue; // the reserved byte is written as 0
                const int mask = 0x80 >> (bit % 8);
                wrong += ((row[bit / 8] & mask) != 0) != ((bitmap.Row(y)[bit / 8] & mask) != 0);
            }
            EXPECT_EQ(wrong, 0) << bpp << " bits, row " << y;
            for (uint32_t i = static_cast<uint32_t>(bits + 7) / 8; i < stride; ++i)
                EXPECT_EQ(row[i], 0) << "padding, " << bpp << " bits";
            if (bpp == 32) {
                for (int x = 0; x < 13; ++x)
                    EXPECT_EQ(row[4 * x + 3], 0);
            }
        }
    }
}

TEST(Bmp, QtReadsEveryDepthBackToTheSamePixels) {
    std::mt19937 rng(5);
    for (const int bpp : {1, 4, 8, 16, 24, 32}) {
        const Bitmap bitmap = RandomBitmap(rng, 21, 9, bpp);
        const QImage image = Read(EncodeBmp(bitmap), "BMP");
        ASSERT_FALSE(image.isNull()) << bpp;
        const QImage want = bitmap.ToImage();
        const QImage got = image.convertToFormat(QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 21; ++x) {
                const QRgb a = got.pixel(x, y), b = want.pixel(x, y);
                // Readers widen 5-bit channels differently (v << 3, or repeating the top bits)
                const int slack = bpp == 16 ? 7 : 0;
                wrong += std::abs(qRed(a) - qRed(b)) > slack || std::abs(qGreen(a) - qGreen(b)) > slack ||
                         std::abs(qBlue(a) - qBlue(b)) > slack;
            }
        EXPECT_EQ(wrong, 0) << bpp << " bits per pixel";
    }
}

TEST(Bmp, DepthsTheFormatHasNotAreRefused) {
    EXPECT_THROW(EncodeBmp(Bitmap()), ImageError);
    EXPECT_THROW(EncodeBmp(Bitmap(3, 3, 2)), ImageError);
}

// ---- JPEG ----

TEST(Jpeg, LibjpegWritesWhatQtDecodesBack) {
    for (const int bpp : {32, 24}) {
        Bitmap bitmap = SymbolBitmap(3);
        if (bpp == 24) { // the converting path
            Bitmap narrow(bitmap.Width(), bitmap.Height(), 24);
            for (int y = 0; y < bitmap.Height(); ++y)
                for (int x = 0; x < bitmap.Width(); ++x)
                    std::copy(bitmap.Row(y) + 4 * x, bitmap.Row(y) + 4 * x + 3, narrow.Row(y) + 3 * x);
            bitmap = narrow;
        }
        const Bytes jpeg = EncodeJpeg(bitmap);
        ASSERT_GE(jpeg.size(), 4u);
        EXPECT_EQ(std::make_tuple(jpeg[0], jpeg[1], jpeg[jpeg.size() - 2], jpeg[jpeg.size() - 1]),
                  std::make_tuple(0xFF, 0xD8, 0xFF, 0xD9));
        const QImage image = Read(jpeg, "JPEG");
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.size(), QSize(bitmap.Width(), bitmap.Height()));
        EXPECT_NEAR(image.dotsPerMeterX(), 3780, 1); // 96 dpi
        const QImage want = bitmap.ToImage();
        int64_t error = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                error += std::abs(qGray(image.pixel(x, y)) - qGray(want.pixel(x, y)));
        EXPECT_LT(static_cast<double>(error) / (image.width() * image.height()), 6.0)
            << "mean error, " << bpp;
    }
    // A higher quality makes a larger file
    const Bitmap bitmap = SymbolBitmap(3);
    EXPECT_LT(EncodeJpeg(bitmap, 30).size(), EncodeJpeg(bitmap, 95).size());
}

TEST(Jpeg, LibjpegErrorsComeBackAsImageError) {
    EXPECT_THROW(EncodeJpeg(Bitmap()), ImageError);
    // Wider than JPEG can say: libjpeg's own error, reported instead of ending the process
    try {
        EncodeJpeg(Bitmap(65536, 1, 32));
        ADD_FAILURE() << "no error";
    } catch (const ImageError& e) {
        EXPECT_NE(std::string(e.what()).find("65500"), std::string::npos) << e.what();
    }
    EXPECT_NO_THROW(EncodeJpeg(Bitmap(8, 8, 32))); // and the encoder still works afterwards
}

// ---- PNG and SVG ----

TEST(Png, QtReadsTheSamePixelsBack) {
    std::mt19937 rng(9);
    for (const int bpp : {1, 8, 24, 32}) {
        const Bitmap bitmap = RandomBitmap(rng, 17, 5, bpp);
        const QImage image = Read(EncodePng(bitmap), "PNG");
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), bitmap.ToImage()) << bpp;
        EXPECT_EQ(image.dotsPerMeterX(), 3780);
    }
    EXPECT_THROW(EncodePng(Bitmap()), ImageError);
}

// The elements of an SVG document, failing the test when it is not well-formed XML.
std::vector<std::pair<QString, QXmlStreamAttributes>> Elements(const std::string& svg) {
    std::vector<std::pair<QString, QXmlStreamAttributes>> elements;
    QXmlStreamReader reader(QByteArray::fromStdString(svg));
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            elements.emplace_back(reader.name().toString(), reader.attributes());
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return elements;
}

TEST(Svg, BitmapRunsAndMetafileRecordsBecomeElements) {
    Bitmap bitmap(6, 2, 32);
    BitmapCanvas canvas(bitmap);
    canvas.FillRect(0, 0, 6, 2, clWhite);
    canvas.FillRect(1, 0, 3, 2, clBlack);
    canvas.FillRect(4, 1, 5, 2, 0x000000FF);
    const auto elements = Elements(EncodeSvg(bitmap));
    // svg, g, the background, then the runs: (1,0) 2 wide, (1,1) 2 wide, (4,1) red
    ASSERT_EQ(elements.size(), 6u);
    EXPECT_EQ(elements[0].second.value(QStringLiteral("width")), QStringLiteral("6"));
    const auto& red = elements[5].second;
    EXPECT_EQ(red.value(QStringLiteral("x")).toString() + red.value(QStringLiteral("y")).toString() +
                  red.value(QStringLiteral("fill")).toString(),
              QStringLiteral("41#ff0000"));

    const Metafile metafile = SymbolMetafile(2);
    const std::string svg = EncodeSvg(metafile);
    size_t fills = 0;
    for (const auto& record : metafile.Records)
        fills += std::holds_alternative<MetaFill>(record);
    size_t rects = 0, texts = 0;
    for (const auto& [name, attributes] : Elements(svg)) {
        rects += name == QStringLiteral("rect");
        texts += name == QStringLiteral("text");
    }
    EXPECT_EQ(rects, fills + 1) << "a rectangle per fill and the comment's box";
    EXPECT_EQ(texts, 1u);
    EXPECT_NE(svg.find(">上のコメント</text>"), std::string::npos);

    // Markup characters in a text are escaped
    Metafile marked;
    marked.Width = marked.Height = 50;
    MetafileCanvas(marked).TextOut(0, 0, "a<b&\"c\x01", CommentFont(), clWhite);
    EXPECT_NE(EncodeSvg(marked).find(">a&lt;b&amp;&quot;c\xEF\xBF\xBD</text>"), std::string::npos);
}

// ---- Types and files ----

TEST(ImageTypeOf, TakesTheExtensionOfTheNameOnly) {
    const struct {
        const char* name;
        const char* type;
    } cases[] = {
        {"a.bmp", "bmp"},  {"A.BMP", "bmp"},         {"x.jpg", "jpeg"},     {"x.JPeG", "jpeg"},
        {"p.png", "png"},  {"s.svg", "svg"},         {"e.emf", "emf"},      {"w.Wmf", "wmf"},
        {"noext", ""},     {"dir.png/file", ""},     {"/tmp/x.tar.gz", ""}, {".png", ""},
        {"a.bmp.txt", ""}, {"dir/a.b.jpeg", "jpeg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageTypeOf(c.name), c.type) << c.name;
}

TEST(SavePicture, WritesEachTypeAPictureCanBecome) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Picture bitmap = SymbolBitmap(2);
    const Picture metafile = SymbolMetafile(2);
    const struct {
        const Picture* picture;
        const char* type;
        Bytes magic;
    } cases[] = {
        {&bitmap, "bmp", {'B', 'M'}},
        {&bitmap, "jpeg", {0xFF, 0xD8}},
        {&bitmap, "png", {0x89, 'P', 'N', 'G'}},
        {&bitmap, "svg", {'<', '?', 'x', 'm', 'l'}},
        {&metafile, "emf", {1, 0, 0, 0}},
        {&metafile, "wmf", {0xD7, 0xCD, 0xC6, 0x9A}},
        {&metafile, "svg", {'<', '?', 'x'}},
        {&metafile, "png", {0x89, 'P', 'N', 'G'}},
        {&metafile, "bmp", {'B', 'M'}},
        {&metafile, "jpeg", {0xFF, 0xD8}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString name =
            dir.filePath(QStringLiteral("out%1.%2").arg(n++).arg(QString::fromLatin1(c.type)));
        SavePicture(*c.picture, c.type, name.toStdString());
        const Bytes bytes = ReadFile(name);
        ASSERT_GE(bytes.size(), c.magic.size()) << c.type;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(c.magic.size())), c.magic)
            << c.type;
    }
    // A metafile rendered for the raster types is the drawing at its size
    const QImage png = QImage(dir.filePath(QStringLiteral("out7.png")));
    EXPECT_EQ(png, std::get<Metafile>(metafile).ToImage().convertToFormat(png.format()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 10) << "no temporary files left";
}

TEST(SavePicture, AFailureLeavesTheFileAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("kept.png"));
    {
        std::ofstream out(name.toStdString(), std::ios::binary);
        out << "old content";
    }
    const Picture bitmap = SymbolBitmap(2);
    const struct {
        Picture picture;
        const char* type;
    } cases[] = {
        {bitmap, "emf"},                // a bitmap has no vector form
        {bitmap, "gif"},                // unknown type
        {Picture(), "png"},             // nothing to save
        {Bitmap(65536, 1, 32), "jpeg"}, // libjpeg refuses
        {Metafile(), "png"},            // empty
    };
    for (const auto& c : cases) {
        try {
            SavePicture(c.picture, c.type, name.toStdString());
            ADD_FAILURE() << c.type << ": no error";
        } catch (const ImageError& e) {
            EXPECT_NE(std::string(e.what()).find(name.toStdString()), std::string::npos)
                << "names the file: " << e.what();
        }
        const Bytes bytes = ReadFile(name);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old content") << c.type;
    }
    // A directory that does not exist: an error naming the file, nothing created
    const std::string missing = dir.filePath(QStringLiteral("no/such/dir/x.png")).toStdString();
    try {
        WriteFileAtomically(missing, Bytes{1, 2, 3});
        ADD_FAILURE() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("kept.png")});
    // Success replaces the content whole
    WriteFileAtomically(name.toStdString(), Bytes{'n', 'e', 'w'});
    EXPECT_EQ(ReadFile(name), (Bytes{'n', 'e', 'w'}));
}

// ---- Read back by independent readers ----

TEST(ImageFiles, RasterFilesOfASymbolDecodeToTheDataBytes) {
    const Bytes want = BytesOf(kData);
    for (const int pixels : {3, 4}) {
        const Bitmap bitmap = SymbolBitmap(pixels);
        const struct {
            const char* format;
            Bytes file;
        } files[] = {
            {"BMP", EncodeBmp(bitmap)},
            {"BMP", EncodeBmp(RotateBitmap(bitmap, 90))},
            {"PNG", EncodePng(bitmap)},
            {"JPEG", EncodeJpeg(bitmap)},
            {"PNG", EncodePng(Bitmap::FromImage(SymbolMetafile(pixels).ToImage()))},
        };
        for (const auto& f : files) {
            const QImage image = Read(f.file, f.format);
            ASSERT_FALSE(image.isNull()) << f.format;
            EXPECT_EQ(ZxingBytes(image), want) << f.format << " at " << pixels << " pixels per module";
        }
    }
}

} // namespace
