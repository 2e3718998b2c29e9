// Developer tool: the print preview in normal and in list mode and the symbol size report, over
// twelve Japanese items, saved as PNGs to look at. Run it under a real X server (Xvfb) to see the
// fonts and widgets a user sees:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/printing/zarvo_print_shot DIR
#include "printing/preview.h"
#include "printing/qtprintdevice.h"
#include "printing/symbolsize.h"
#include "tests/printing/printtest_support.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool Shot(QWidget& window, const QString& file) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QTest::qWait(300);
    const bool saved = window.grab().save(file);
    std::printf("%s: %dx%d\n", file.toLocal8Bit().constData(), window.width(), window.height());
    window.close();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zarvo::component::InstallFontSubstitutions();
    if (argc != 2) {
        std::fprintf(stderr, "usage: zarvo_print_shot OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir dir;
    printingtest::FakeHost host;
    zarvo::printing::QtPrintDevice printer(dir.filePath(QStringLiteral("shot.pdf")));
    host.printer = &printer;
    host.list = printingtest::JapaneseItems();
    host.Show(0);
    host.printCount = 100; // two pages
    host.fields.PrintColSpace = 10;

    bool ok = true;
    {
        zarvo::printing::TPreviewForm preview(host);
        ok = Shot(preview, out + QStringLiteral("/preview-normal.png")) && ok;
    }
    {
        host.fields.ListPrintMode = true;
        host.fields.ListPrintCount = host.list.Count();
        zarvo::printing::TPreviewForm preview(host);
        ok = Shot(preview, out + QStringLiteral("/preview-list.png")) && ok;
        host.fields.ListPrintMode = false;
        host.Show(0);
    }
    {
        zarvo::printing::TSymbolSizeForm report(host);
        ok = Shot(report, out + QStringLiteral("/size-report.png")) && ok;
    }
    return ok ? 0 : 1;
}
