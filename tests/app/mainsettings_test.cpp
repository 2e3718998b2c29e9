// The main window's keys in the settings file: the first file, later files, and what a bad
// value does.
#include "app/mainsettings.h"
#include "shared/cp932.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

namespace {

using zarvo::app::MainSettings;
using zarvo::param::TParameter;

using zarvo::testsupport::S;

std::vector<std::string> Lines(const TParameter& store) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < store.Count(); ++i)
        lines.push_back(store.Lines(i));
    return lines;
}

// The main window's key lines of the first-run values, in file order, after the bounds.
std::vector<std::string> FirstRunKeyLines() {
    return {"WindowState=0",
            S("シンボル文字列=0"),
            S("符号化モード=-1"),
            S("誤り訂正レベル=0"),
            S("マスクパターン=-1"),
            S("クリップボード監視=False"),
            S("倍率=1"),
            S("表示形式=0"),
            S("バージョン=1"),
            S("上の余白=10"),
            S("下の余白=10"),
            S("左の余白=10"),
            S("右の余白=10"),
            S("コピー方法=0"),
            S("印刷の個数=1"),
            S("印刷の倍率=100"),
            S("シンボルの色=0"),
            S("シンボルの背景色=16777215"),
            S("等倍印刷の状態を表わすスイッチ=False"),
            S("印刷時の行間隔=10"),
            S("印刷時の列間隔=0"),
            S("バイナリ表記文字列=False"),
            S("ソート条件=0"),
            S("ソート方向=0"),
            S("分割表示する場合のモード=0"),
            S("分割表示する場合の個数=1"),
            S("分割表示する場合の行当り個数=16"),
            S("FontName=ＭＳ Ｐゴシック"),
            "FontSize=9",
            "FontStyle=[]",
            "FontColor=-2147483640",
            "OpenDir=\x1A",
            "SaveDir=\x1A",
            "SaveSDir=\x1A"};
}

TEST(MainSettings, AFirstCloseWritesHeaderBoundsKeysAndTheListWindowDefaults) {
    TParameter store;
    MainSettings settings;
    settings.Left = 12;
    settings.Top = 34;
    zarvo::app::WriteMainSettings(store, settings, false);

    std::vector<std::string> expected = {S("Zarvo環境設定ファイル --- このファイルは、編集しないで下さい。"),
                                         "Left=12", "Top=34", "Width=368", "Height=441"};
    for (const std::string& line : FirstRunKeyLines())
        expected.push_back(line);
    for (const char* line :
         {"DLeft=191", "DTop=182", "DWidth=598", "DHeight=378", "DWindowState=0", "DFontName=ＭＳ Ｐゴシック",
          "DFontSize=9", "DFontStyle=[]", "DFontColor=-2147483640", "DDefaultRowHeight=24",
          "DColWidths[1]=180", "DColWidths[2]=176", "DColWidths[3]=162", "DPartition=1",
          "エンターキーで次の行に移動=False", "常時文字入力の状態=False",
          "エンターキーでデータチェック=False", "完全に一致する文字列を検索=False"})
        expected.push_back(S(line));
    expected.push_back(S("検索文字列=") + "\x1A");
    EXPECT_EQ(Lines(store), expected);
}

TEST(MainSettings, TheListWindowsOwnFirstLinesGoBehindTheMainKeys) {
    TParameter store;
    store.Add("DLeft=5");
    store.Add("DTop=6");
    zarvo::app::WriteMainSettings(store, MainSettings{}, false);
    const std::vector<std::string> lines = Lines(store);
    ASSERT_EQ(lines.size(), 1u + 4u + FirstRunKeyLines().size() + 2u);
    EXPECT_EQ(lines[1], "Left=0");
    EXPECT_EQ(lines[lines.size() - 2], "DLeft=5");
    EXPECT_EQ(lines.back(), "DTop=6");
}

TEST(MainSettings, ALaterCloseRewritesInPlaceAndAMaximisedWindowKeepsItsBounds) {
    TParameter store;
    zarvo::app::WriteMainSettings(store, MainSettings{}, false);
    const size_t count = static_cast<size_t>(store.Count());

    MainSettings changed;
    changed.Left = 999;
    changed.WindowState = 2;
    changed.Version = 7;
    changed.SortOrder = -1;
    changed.OpenDir = "/home/u/odd\nname"; // a line break would break the file
    changed.SaveDir = "/tmp";
    zarvo::app::WriteMainSettings(store, changed, true);

    EXPECT_EQ(static_cast<size_t>(store.Count()), count);
    EXPECT_EQ(store.ReadInteger("Left"), 0);
    EXPECT_EQ(store.ReadInteger("WindowState"), 2);
    EXPECT_EQ(store.ReadInteger(S("バージョン")), 7);
    EXPECT_EQ(store.ReadInteger(S("ソート方向")), 1);
    EXPECT_EQ(store.ReadString("OpenDir"), "");
    EXPECT_EQ(store.ReadString("SaveDir"), "/tmp");
    EXPECT_EQ(store.Lines(store.Count() - 1), S("検索文字列=") + "\x1A");

    zarvo::app::WriteMainSettings(store, changed, false);
    EXPECT_EQ(store.ReadInteger("Left"), 999);
}

TEST(MainSettings, ReadingGivesBackWhatWasWritten) {
    MainSettings written;
    written.HasBounds = true;
    written.Left = -20;
    written.Width = 800;
    written.Emode = 3;
    written.Masktype = 7;
    written.ClipWatch = true;
    written.SymbolColor = 255;
    written.BinaryOperation = true;
    written.SortKey = 2;
    written.SortOrder = -1;
    written.SplitMode = 2;
    written.SplitCount = 300;
    written.FontName = S("ＭＳ ゴシック");
    written.FontStyle.Bold = written.FontStyle.StrikeOut = true;
    written.SaveSDir = S("/home/ユーザー");
    written.CurrentItem = 4;
    TParameter store;
    zarvo::app::WriteMainSettings(store, written, false);

    MainSettings read;
    EXPECT_TRUE(zarvo::app::ReadMainSettings(store, read).empty());
    EXPECT_TRUE(read.HasBounds);
    EXPECT_EQ(read.Left, -20);
    EXPECT_EQ(read.Width, 800);
    EXPECT_EQ(read.Emode, 3);
    EXPECT_EQ(read.Masktype, 7);
    EXPECT_TRUE(read.ClipWatch);
    EXPECT_EQ(read.SymbolColor, 255);
    EXPECT_TRUE(read.BinaryOperation);
    EXPECT_EQ(read.SortKey, 2);
    EXPECT_EQ(read.SortOrder, -1);
    EXPECT_EQ(read.SplitCount, 300);
    EXPECT_EQ(read.FontName, S("ＭＳ ゴシック"));
    EXPECT_TRUE(read.FontStyle == written.FontStyle);
    EXPECT_EQ(read.SaveSDir, S("/home/ユーザー"));
    EXPECT_EQ(read.CurrentItem, 4);
}

TEST(MainSettings, ABadKeyKeepsItsFirstRunValueAndIsReportedOnce) {
    TParameter store;
    MainSettings written;
    written.Version = 9;
    written.Pxmag = 4;
    zarvo::app::WriteMainSettings(store, written, false);
    // an older file without the magnification, a version that is no number, a bad Boolean
    for (int32_t i = 0; i < store.Count(); ++i) {
        if (store.Lines(i).rfind(S("倍率="), 0) == 0) {
            store.Delete(i);
            break;
        }
    }
    store.WriteString(S("バージョン"), "nine");
    store.WriteString(S("バイナリ表記文字列"), "true");
    store.WriteInteger(S("ソート条件"), 5);

    MainSettings read;
    const std::vector<std::string> messages = zarvo::app::ReadMainSettings(store, read);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], S("Name '倍率' is not found in parameters."));
    EXPECT_EQ(messages[1], S("'nine' は整数ではありません"));
    EXPECT_EQ(messages[2], S("Value of バイナリ表記文字列 'true' is not Boolean Type."));
    EXPECT_EQ(read.Pxmag, 1);
    EXPECT_EQ(read.Version, 1);
    EXPECT_FALSE(read.BinaryOperation);
    EXPECT_EQ(read.SortKey, -1); // out of range: no value, written back as 0
    EXPECT_EQ(read.SpaceUp, 10);
    EXPECT_EQ(read.CurrentItem, 0);
}

} // namespace
