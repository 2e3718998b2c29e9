// The user's guide: put beside the program by the build, and written as the program's texts are (Shift-JIS,
// CR LF), so that the desktop's editor shows it as it was written.
#include "app/programdir.h"
#include "tests/app/frame_test_support.h"

namespace frametest {
namespace {

TEST(HelpFile, TheBuildPutsTheGuideBesideTheProgram) {
    const QString built = zarvo::app::HelpFilePath(QStringLiteral(ZARVO_PROGRAM_DIR));
    ASSERT_FALSE(built.isEmpty());
    const std::string bytes = ReadBytes(built);
    EXPECT_EQ(bytes, ReadBytes(QStringLiteral(ZARVO_SOURCE_DIR "/app/Readme.txt")));
    bool decoded = false;
    const QString text = zarvo::shared::Cp932ToQString(bytes, &decoded);
    EXPECT_TRUE(decoded);
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\n')));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\r')));
    EXPECT_TRUE(text.contains(U("ﾍﾙﾌﾟ")));
}

} // namespace
} // namespace frametest
