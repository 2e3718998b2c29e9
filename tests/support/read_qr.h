// zxing-cpp as the reader that judges our pictures: the QR code symbol in an image, as a scanner
// would read it.
#pragma once

#ifndef ZX_USE_UTF8
#define ZX_USE_UTF8 1 // the non-deprecated Result API
#endif

#include <QImage>
#include <ZXing/ReadBarcode.h>
#include <vector>

namespace zarvo::testsupport {

// The first QR code symbol zxing-cpp finds in the image (result.isValid() false when none).
inline ZXing::Result ReadQrCode(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    return ZXing::ReadBarcode({gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                               static_cast<int>(gray.bytesPerLine())},
                              hints);
}

// Every QR code symbol zxing-cpp finds in the image (a printed page of several).
inline std::vector<ZXing::Result> ReadQrCodes(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setMaxNumberOfSymbols(255);
    std::vector<ZXing::Result> found;
    for (ZXing::Result& r :
         ZXing::ReadBarcodes({gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                              static_cast<int>(gray.bytesPerLine())},
                             hints))
        if (r.isValid())
            found.push_back(std::move(r));
    return found;
}

} // namespace zarvo::testsupport
