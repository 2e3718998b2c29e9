// Build tool: the program's icon at the sizes of the hicolor theme, from the symbol that
// zarvo-encode drew at one pixel per module.
//   zarvo_icon SYMBOL.png OUTDIR SIZE...   writes OUTDIR/SIZExSIZE/apps/zarvo.png
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: zarvo_icon SYMBOL.png OUTDIR SIZE...\n");
        return 2;
    }
    const QImage symbol = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (symbol.isNull() || symbol.width() != symbol.height()) {
        std::fprintf(stderr, "zarvo_icon: %s is not a square picture\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "zarvo_icon: bad size %s\n", argv[i]);
            return 2;
        }
        // Modules stay square when they fall between pixels: enlarge by whole pixels past the
        // wanted size, then average down, so each pixel is the share of dark it covers
        const int factor = (4 * size + symbol.width() - 1) / symbol.width();
        const QImage icon = symbol.scaled(symbol.width() * factor, symbol.height() * factor)
                                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString dir = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(dir) || !icon.save(dir + QStringLiteral("/zarvo.png"))) {
            std::fprintf(stderr, "zarvo_icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
