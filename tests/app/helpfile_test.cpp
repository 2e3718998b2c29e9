// The user's guide: found beside the program, written as the program's texts are (Shift-JIS, CR LF),
// and naming every control and menu item the main window shows.
#include "app/helpfile.h"
#include "tests/app/frame_test_support.h"

#include <QAction>
#include <QDir>

namespace frametest {
namespace {

TEST(HelpFile, TheGuideInTheProgramsDirectoryOrNone) {
    QTemporaryDir dir;
    EXPECT_TRUE(zarvo::app::HelpFile(dir.path()).isEmpty());
    QDir(dir.path()).mkdir(QStringLiteral("Readme.txt")); // not a file
    EXPECT_TRUE(zarvo::app::HelpFile(dir.path()).isEmpty());

    // the build puts the guide beside the program
    const QString built = zarvo::app::HelpFile(QStringLiteral(ZARVO_PROGRAM_DIR));
    ASSERT_FALSE(built.isEmpty());
    EXPECT_EQ(ReadBytes(built), ReadBytes(QStringLiteral(ZARVO_SOURCE_DIR "/app/Readme.txt")));
}

using Guide = FrameTest;

TEST_F(Guide, IsShiftJisWithCrLfAndNamesEveryControl) {
    const std::string bytes = ReadBytes(QStringLiteral(ZARVO_SOURCE_DIR "/app/Readme.txt"));
    bool decoded = false;
    const QString text = zarvo::shared::Cp932ToQString(bytes, &decoded);
    EXPECT_TRUE(decoded);
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\n')));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\r')));

    Start();
    QStringList captions;
    for (auto* button : form->findChildren<QAbstractButton*>())
        captions << button->text();
    for (auto* label : form->findChildren<QLabel*>())
        if (!label->objectName().startsWith(QStringLiteral("Panel")) &&
            !label->objectName().startsWith(QStringLiteral("Label")))
            captions << label->text();
    for (auto* action : form->findChildren<QAction*>())
        captions << action->text();
    captions.removeAll(QString());
    EXPECT_GT(captions.size(), 40); // the search reached the window's controls
    for (const QString& caption : captions)
        EXPECT_TRUE(text.contains(caption)) << caption.toStdString();
    for (const char* window : {"一覧", "ソート", "印刷プレビュー", "シンボルのサイズ情報"})
        EXPECT_TRUE(text.contains(U(window))) << window;
}

} // namespace
} // namespace frametest
