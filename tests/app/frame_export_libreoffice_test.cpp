// Vector pictures saved by the window's save command, read by another program: LibreOffice turns
// the EMF, WMF and SVG files into PNG, which zxing-cpp decodes to the item's bytes. One call for
// all files, since every call starts LibreOffice anew.
#include "tests/app/frame_test_support.h"
#include "tests/component/symbol_picture.h"
#include "tests/support/run_program.h"

#include <QUrl>

namespace frametest {
namespace {

using zarvo::component::picture_test::BytesOf;
using zarvo::component::picture_test::ZxingBytes;
using zarvo::testsupport::RunProgram;

using SavedVectorPictures = FrameTest;

TEST_F(SavedVectorPictures, LibreOfficeReadsTheSymbolFromEachKind) {
    Start();
    EnterNumber("Edit1", 3);
    AddItem(U("ZARVO ベクター"));
    const struct {
        int copyMethod;
        const char* name;
    } files[] = {{1, "saved-emf.emf"}, {2, "saved-wmf.wmf"}, {0, "saved-svg.svg"}};
    QStringList paths;
    for (const auto& f : files) {
        Pick("ComboBox6", f.copyMethod);
        dialogs.nextPaths.push_back(Path(f.name));
        Click("Button4");
        paths << Path(f.name);
    }
    ASSERT_TRUE(dialogs.shown.empty());

    const QString profile = QUrl::fromLocalFile(Path("profile")).toString();
    RunProgram(QStringLiteral("soffice"),
               QStringList{QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                           QStringLiteral("--convert-to"), QStringLiteral("png"), QStringLiteral("--outdir"),
                           Path("png")} +
                   paths,
               dir.path());
    for (const auto& f : files) {
        const QString png = Path("png/") + QString::fromLatin1(f.name).section(QLatin1Char('.'), 0, 0) +
                            QStringLiteral(".png");
        const QImage page(png);
        ASSERT_FALSE(page.isNull()) << f.name;
        EXPECT_EQ(ZxingBytes(page), BytesOf(S("ZARVO ベクター"))) << f.name;
    }
}

} // namespace
} // namespace frametest
