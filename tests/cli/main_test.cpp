// The real executable, end to end: arguments, standard streams and exit status.
#include "tests/cli/cli_test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace zarvo::cli {
namespace {

using test::RunBinary;

TEST(ZarvoEncode, WritesWhatTheLibraryWrites) {
    const auto r = RunBinary({"-v", "2", "-l", "m", "Zarvo QRコード"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(
        r.out,
        test::RunInProcess({"-t", "PBM", "-v", "2", "-l", "m", "Zarvo QRコード"}).out); // not a terminal: PBM

    const auto piped = RunBinary({"-t", "UTF8"}, "piped \x82\xa0");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, test::RunInProcess({"-t", "UTF8"}, "piped \x82\xa0").out);
}

TEST(ZarvoEncode, ExitStatusTellsWhatHappened) {
    const auto help = RunBinary({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: zarvo-encode", 0), 0u);

    const auto version = RunBinary({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zarvo-encode 0.1.0\n");

    const auto bad = RunBinary({"--level", "Z", "x"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "zarvo-encode: the level must be L, M, Q or H, not \"Z\"\n"
                       "Try 'zarvo-encode --help' for more information.\n");
}

TEST(ZarvoEncode, AFailedRunLeavesTheOutputFileAlone) {
    test::TempDir dir;
    const auto target = dir / "qr.txt";
    test::WriteFile(target, "precious");

    const auto r =
        RunBinary({"-v", "1", "-l", "H", "--count", "2", "-o", target.string(), std::string(40, 'z')});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zarvo-encode: piece 1 of 2 (20 bytes) does not fit version 1-H\n");
    EXPECT_EQ(test::ReadFile(target), "precious");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"qr.txt"});

    const auto ok = RunBinary({"-l", "H", "--count", "2", "-o", target.string(), std::string(40, 'z')});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(test::ReadFile(target),
              test::RunInProcess({"-t", "utf8", "-l", "H", "--count", "2", std::string(40, 'z')}).out);
}

// Unsets an environment variable for the scope (the executable inherits the environment).
class Unset {
  public:
    explicit Unset(const char* name) : name_(name) {
        if (const char* value = std::getenv(name))
            old_ = value;
        unsetenv(name);
    }
    ~Unset() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
    }
    Unset(const Unset&) = delete;
    Unset& operator=(const Unset&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ZarvoEncode, DrawsPicturesWithoutADisplay) {
    const Unset platform("QT_QPA_PLATFORM"), display("DISPLAY"), wayland("WAYLAND_DISPLAY"),
        runtime("XDG_RUNTIME_DIR");
    // Qt takes -reverse (and --reverse) out of an application's arguments: the tool must still see it
    const std::vector<std::string> args = {"--reverse", "--angle",  "90",       "-t",
                                           "png",       "-s",       "2",        "--comment-up",
                                           "上",        "--spaces", "14,0,0,0", "Zarvo"};
    const auto r = RunBinary(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, ""); // nothing from Qt either
    const QImage picture = test::LoadPicture(r.out, "PNG");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture, test::LoadPicture(test::RunInProcess(args).out, "PNG"));
    EXPECT_NE(picture,
              test::LoadPicture(test::RunInProcess({"--angle", "90", "-t", "png", "-s", "2", "--comment-up",
                                                    "上", "--spaces", "14,0,0,0", "Zarvo"})
                                    .out,
                                "PNG"));
}

} // namespace
} // namespace zarvo::cli
