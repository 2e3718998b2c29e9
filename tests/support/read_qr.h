// zxing-cpp as the reader that judges our pictures: the QR code symbol in an image, as a scanner
// would read it.
#pragma once

#ifndef ZX_USE_UTF8
#define ZX_USE_UTF8 1 // the non-deprecated Result API
#endif

#include <QImage>
#include <ZXing/ReadBarcode.h>

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

} // namespace zarvo::testsupport
