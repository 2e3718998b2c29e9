#include "app/mainsettings.h"

#include "param/settingkeys.h"
#include "shared/cp932.h"

namespace zarvo::app {

using param::TParameter;

std::string Sjis(const char* utf8) {
    return shared::Utf8ToCp932(utf8);
}

std::string HeaderLine() {
    return Sjis("Zarvo環境設定ファイル --- このファイルは、編集しないで下さい。");
}

std::vector<std::string> DataListDefaultLines() {
    return {"DLeft=191",
            "DTop=182",
            "DWidth=598",
            "DHeight=378",
            "DWindowState=0",
            Sjis("DFontName=ＭＳ Ｐゴシック"),
            "DFontSize=9",
            "DFontStyle=[]",
            "DFontColor=-2147483640",
            "DDefaultRowHeight=24",
            "DColWidths[1]=180",
            "DColWidths[2]=176",
            "DColWidths[3]=162",
            "DPartition=1",
            Sjis("エンターキーで次の行に移動=False"),
            Sjis("常時文字入力の状態=False"),
            Sjis("エンターキーでデータチェック=False"),
            Sjis("完全に一致する文字列を検索=False"),
            Sjis("検索文字列=") + std::string(1, param::kEmptyValue)};
}

namespace {

using Key = param::SettingKey<MainSettings>;

void WriteDirectory(TParameter& p, const std::string& key, const std::string& dir) {
    const bool breaks = dir.find_first_of("\r\n") != std::string::npos;
    p.WriteString(key, breaks ? std::string() : dir);
}

Key Dir(const char* name, std::string MainSettings::*field) {
    Key key = param::StringKey(name, field);
    key.Write = [field](TParameter& p, const std::string& k, const MainSettings& s) {
        WriteDirectory(p, k, s.*field);
    };
    return key;
}

// The keys after the bounds, in reading order ("シンボル文字列" is read last, written first).
const std::vector<Key>& SettingKeys() {
    using S = MainSettings;
    static const std::vector<Key> keys = {
        param::IntegerKey("WindowState", &S::WindowState),
        param::IntegerKey(Sjis("符号化モード"), &S::Emode),
        param::IntegerKey(Sjis("誤り訂正レベル"), &S::Eclevel),
        param::IntegerKey(Sjis("マスクパターン"), &S::Masktype),
        param::BoolKey(Sjis("クリップボード監視"), &S::ClipWatch),
        param::IntegerKey(Sjis("倍率"), &S::Pxmag),
        param::IntegerKey(Sjis("表示形式"), &S::DisplayFormat),
        param::IntegerKey(Sjis("バージョン"), &S::Version),
        param::IntegerKey(Sjis("上の余白"), &S::SpaceUp),
        param::IntegerKey(Sjis("下の余白"), &S::SpaceDown),
        param::IntegerKey(Sjis("左の余白"), &S::SpaceLeft),
        param::IntegerKey(Sjis("右の余白"), &S::SpaceRight),
        param::IntegerKey(Sjis("コピー方法"), &S::CopyMethod),
        param::IntegerKey(Sjis("印刷の個数"), &S::PrintCount),
        param::IntegerKey(Sjis("印刷の倍率"), &S::PrintMagnification),
        param::IntegerKey(Sjis("シンボルの色"), &S::SymbolColor),
        param::IntegerKey(Sjis("シンボルの背景色"), &S::BackColor),
        param::BoolKey(Sjis("等倍印刷の状態を表わすスイッチ"), &S::SameSizeSwitch),
        param::IntegerKey(Sjis("印刷時の行間隔"), &S::PrintRowSpace),
        param::IntegerKey(Sjis("印刷時の列間隔"), &S::PrintColSpace),
        param::BoolKey(Sjis("バイナリ表記文字列"), &S::BinaryOperation),
        {Sjis("ソート条件"),
         [](const TParameter& p, const std::string& k, S& s) {
             const int32_t v = p.ReadInteger(k);
             s.SortKey = v >= 0 && v <= 2 ? v : -1;
         },
         [](TParameter& p, const std::string& k, const S& s) {
             p.WriteInteger(k, s.SortKey >= 0 && s.SortKey <= 2 ? s.SortKey : 0);
         }},
        {Sjis("ソート方向"),
         [](const TParameter& p, const std::string& k, S& s) {
             const int32_t v = p.ReadInteger(k);
             s.SortOrder = v == 0 ? 1 : v == 1 ? -1 : 0;
         },
         [](TParameter& p, const std::string& k, const S& s) {
             p.WriteInteger(k, s.SortOrder == -1 ? 1 : 0);
         }},
        param::IntegerKey(Sjis("分割表示する場合のモード"), &S::SplitMode),
        param::IntegerKey(Sjis("分割表示する場合の個数"), &S::SplitCount),
        param::IntegerKey(Sjis("分割表示する場合の行当り個数"), &S::SplitColumn),
        param::StringKey("FontName", &S::FontName),
        param::IntegerKey("FontSize", &S::FontSize),
        param::FontStyleKey("FontStyle", &S::FontStyle),
        param::IntegerKey("FontColor", &S::FontColor),
        Dir("OpenDir", &S::OpenDir),
        Dir("SaveDir", &S::SaveDir),
        Dir("SaveSDir", &S::SaveSDir),
    };
    return keys;
}

const param::BoundKeys kBoundKeys = {"Left", "Top", "Width", "Height"};
const char* const kCurrentItemKey = "シンボル文字列";

} // namespace

std::vector<std::string> ReadMainSettings(const TParameter& store, MainSettings& settings) {
    std::vector<std::string> messages;
    settings.HasBounds = param::ReadBounds(store, kBoundKeys, settings, messages);
    param::ReadKeys(store, SettingKeys(), settings, messages);
    param::AttemptRead([&] { settings.CurrentItem = store.ReadInteger(Sjis(kCurrentItemKey)); }, messages);
    return messages;
}

void WriteMainSettings(TParameter& store, const MainSettings& settings, bool maximized) {
    // The lines appended last: the data list window's defaults for a new file, or what that
    // window alone wrote during a first run, moved behind the main window's keys.
    std::vector<std::string> appended;
    if (store.Count() == 0) {
        appended = DataListDefaultLines();
    } else if (store.Lines(0).find("DLeft=") != std::string::npos) {
        for (int32_t i = 0; i < store.Count(); ++i)
            appended.push_back(store.Lines(i));
        store.Clear();
    }

    const bool fresh = store.Count() == 0;
    if (fresh)
        store.Add(HeaderLine());
    if (fresh || !maximized)
        param::WriteBounds(store, kBoundKeys, settings);

    const std::vector<Key>& keys = SettingKeys();
    keys[0].Write(store, keys[0].Name, settings); // WindowState
    store.WriteInteger(Sjis(kCurrentItemKey), settings.CurrentItem);
    for (size_t i = 1; i < keys.size(); ++i)
        keys[i].Write(store, keys[i].Name, settings);

    for (const std::string& line : appended)
        store.Add(line);
}

} // namespace zarvo::app
