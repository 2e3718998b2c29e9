#include "datalist/datalistsettings.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

namespace zarvo::datalist {
namespace {

using testsupport::S;

std::vector<std::string> Lines(const param::TParameter& store) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < store.Count(); ++i)
        lines.push_back(store.Lines(i));
    return lines;
}

TEST(DataListSettings, AnEmptyStoreGetsEveryKeyInOrder) {
    param::TParameter store;
    DataListSettings settings;
    settings.Width = 600;
    settings.SearchText = S("東京");
    settings.AlwaysShowEditor = true;
    settings.FontStyle.Bold = true;
    // even maximised: a new store needs the bounds
    WriteDataListSettings(store, settings, true);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{
                                "DLeft=191",
                                "DTop=182",
                                "DWidth=600",
                                "DHeight=378",
                                "DWindowState=0",
                                S("DFontName=ＭＳ Ｐゴシック"),
                                "DFontSize=9",
                                "DFontStyle=[fsBold]",
                                "DFontColor=-2147483640",
                                "DDefaultRowHeight=24",
                                "DColWidths[1]=181",
                                "DColWidths[2]=165",
                                "DColWidths[3]=156",
                                "DPartition=1",
                                S("エンターキーで次の行に移動=False"),
                                S("常時文字入力の状態=True"),
                                S("エンターキーでデータチェック=False"),
                                S("完全に一致する文字列を検索=False"),
                                S("検索文字列=東京"),
                            }));
    DataListSettings read;
    EXPECT_TRUE(ReadDataListSettings(store, read).empty());
    EXPECT_EQ(read.Width, 600);
    EXPECT_EQ(read.SearchText, S("東京"));
    EXPECT_TRUE(read.AlwaysShowEditor);
    EXPECT_TRUE(read.FontStyle.Bold);
    EXPECT_EQ(DataListKeys().size(), 19u);
}

TEST(DataListSettings, AMaximisedWindowKeepsItsLastNormalPlace) {
    param::TParameter store;
    store.Add("Left=5");
    store.Add("DLeft=10");
    DataListSettings settings;
    settings.Left = 0;
    settings.WindowState = 2;
    WriteDataListSettings(store, settings, true);
    EXPECT_EQ(store.ReadInteger("DLeft"), 10);
    EXPECT_EQ(store.ReadInteger("DWindowState"), 2);
    EXPECT_THROW(store.ReadInteger("DTop"), param::EValueName);
    WriteDataListSettings(store, settings, false);
    EXPECT_EQ(store.ReadInteger("DLeft"), 0);
    EXPECT_EQ(store.Lines(1), "DLeft=0"); // in its own line
}

TEST(DataListSettings, ABadKeyKeepsItsValueAndIsReported) {
    param::TParameter store;
    DataListSettings written;
    written.DefaultRowHeight = 40;
    written.Partition = 7;
    WriteDataListSettings(store, written, false);
    const struct {
        const char* line;   // replaces the key's line
        const char* reason; // in the message
        int32_t rowHeight, partition, width;
    } cases[] = {
        {"DDefaultRowHeight=abc", "abc", 24, 7, 564},
        {"DDefaultRowHeight=500", nullptr, 80, 7, 564}, // brought into range
        {"DDefaultRowHeight=2", nullptr, 6, 7, 564},
        {"DPartition=0", nullptr, 40, 1, 564},
        {"DPartition=99", nullptr, 40, 24, 564},
        {"DWidth=", "DWidth", 40, 7, 564},  // one bound missing: the design bounds
        {"DWidth=-3", nullptr, 40, 7, 564}, // no window of that size
    };
    for (const auto& c : cases) {
        param::TParameter bad = store;
        const std::string line = c.line;
        const std::string key = line.substr(0, line.find('=') + 1);
        for (int32_t i = 0; i < bad.Count(); ++i)
            if (bad.Lines(i).rfind(key, 0) == 0) {
                bad.Delete(i);
                bad.Insert(i, line);
            }
        DataListSettings read;
        const std::vector<std::string> messages = ReadDataListSettings(bad, read);
        EXPECT_EQ(messages.size(), c.reason ? 1u : 0u) << c.line;
        if (c.reason && !messages.empty()) {
            EXPECT_NE(messages[0].find(c.reason), std::string::npos) << messages[0];
        }
        EXPECT_EQ(read.DefaultRowHeight, c.rowHeight) << c.line;
        EXPECT_EQ(read.Partition, c.partition) << c.line;
        EXPECT_EQ(read.Width, c.width) << c.line;
    }
}

} // namespace
} // namespace zarvo::datalist
