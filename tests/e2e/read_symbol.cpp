// The end-to-end suite's eyes: reads the QR code symbol in an image file or in a window on the X
// display (as the screen shows it) with zxing-cpp, and prints its orientation in degrees and its
// bytes in hexadecimal ("90 4142"); with --all, every symbol in the file, one a line (a printed
// page). Exit status 1 when no symbol is found, 2 on bad usage.
//
// Usage: zarvo_read_symbol FILE | zarvo_read_symbol --window WINDOW-ID | zarvo_read_symbol --all FILE
#include "tests/support/read_qr.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QImage image;
    bool all = false;
    if (argc == 2) {
        image.load(QString::fromLocal8Bit(argv[1]));
    } else if (argc == 3 && std::strcmp(argv[1], "--all") == 0) {
        image.load(QString::fromLocal8Bit(argv[2]));
        all = true;
    } else if (argc == 3 && std::strcmp(argv[1], "--window") == 0) {
        image = QGuiApplication::primaryScreen()->grabWindow(std::strtoul(argv[2], nullptr, 0)).toImage();
    } else {
        std::fputs("usage: zarvo_read_symbol FILE | zarvo_read_symbol --window WINDOW-ID | "
                   "zarvo_read_symbol --all FILE\n",
                   stderr);
        return 2;
    }
    if (image.isNull()) {
        std::fputs("zarvo_read_symbol: no image\n", stderr);
        return 1;
    }
    std::vector<ZXing::Result> results;
    if (all)
        results = zarvo::testsupport::ReadQrCodes(image);
    else if (ZXing::Result result = zarvo::testsupport::ReadQrCode(image); result.isValid())
        results.push_back(std::move(result));
    for (const ZXing::Result& result : results) {
        std::printf("%d ", result.orientation());
        for (const uint8_t byte : result.bytes())
            std::printf("%02x", byte);
        std::printf("\n");
    }
    return results.empty() ? 1 : 0;
}
