#include "app/mainsettings.h"

#include "shared/cp932.h"

#include <functional>

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

// One key of the table: how it is read into the settings and written from them.
struct Key {
    const char* name; // UTF-8
    std::function<void(const TParameter&, const std::string&, MainSettings&)> read;
    std::function<void(TParameter&, const std::string&, const MainSettings&)> write;
};

Key Int(const char* name, int32_t MainSettings::*field) {
    return {
        name,
        [field](const TParameter& p, const std::string& k, MainSettings& s) { s.*field = p.ReadInteger(k); },
        [field](TParameter& p, const std::string& k, const MainSettings& s) { p.WriteInteger(k, s.*field); }};
}

Key Bool(const char* name, bool MainSettings::*field) {
    return {
        name,
        [field](const TParameter& p, const std::string& k, MainSettings& s) { s.*field = p.ReadBool(k); },
        [field](TParameter& p, const std::string& k, const MainSettings& s) { p.WriteBool(k, s.*field); }};
}

void WriteDirectory(TParameter& p, const std::string& key, const std::string& dir) {
    const bool breaks = dir.find_first_of("\r\n") != std::string::npos;
    p.WriteString(key, breaks ? std::string() : dir);
}

Key Dir(const char* name, std::string MainSettings::*field) {
    return {
        name,
        [field](const TParameter& p, const std::string& k, MainSettings& s) { s.*field = p.ReadString(k); },
        [field](TParameter& p, const std::string& k, const MainSettings& s) {
            WriteDirectory(p, k, s.*field);
        }};
}

// The keys after the bounds, in reading order ("シンボル文字列" is read last, written first).
const std::vector<Key>& SettingKeys() {
    static const std::vector<Key> keys = {
        Int("WindowState", &MainSettings::WindowState),
        Int("符号化モード", &MainSettings::Emode),
        Int("誤り訂正レベル", &MainSettings::Eclevel),
        Int("マスクパターン", &MainSettings::Masktype),
        Bool("クリップボード監視", &MainSettings::ClipWatch),
        Int("倍率", &MainSettings::Pxmag),
        Int("表示形式", &MainSettings::DisplayFormat),
        Int("バージョン", &MainSettings::Version),
        Int("上の余白", &MainSettings::SpaceUp),
        Int("下の余白", &MainSettings::SpaceDown),
        Int("左の余白", &MainSettings::SpaceLeft),
        Int("右の余白", &MainSettings::SpaceRight),
        Int("コピー方法", &MainSettings::CopyMethod),
        Int("印刷の個数", &MainSettings::PrintCount),
        Int("印刷の倍率", &MainSettings::PrintMagnification),
        Int("シンボルの色", &MainSettings::SymbolColor),
        Int("シンボルの背景色", &MainSettings::BackColor),
        Bool("等倍印刷の状態を表わすスイッチ", &MainSettings::SameSizeSwitch),
        Int("印刷時の行間隔", &MainSettings::PrintRowSpace),
        Int("印刷時の列間隔", &MainSettings::PrintColSpace),
        Bool("バイナリ表記文字列", &MainSettings::BinaryOperation),
        {"ソート条件",
         [](const TParameter& p, const std::string& k, MainSettings& s) {
             const int32_t v = p.ReadInteger(k);
             s.SortKey = v >= 0 && v <= 2 ? v : -1;
         },
         [](TParameter& p, const std::string& k, const MainSettings& s) {
             p.WriteInteger(k, s.SortKey >= 0 && s.SortKey <= 2 ? s.SortKey : 0);
         }},
        {"ソート方向",
         [](const TParameter& p, const std::string& k, MainSettings& s) {
             const int32_t v = p.ReadInteger(k);
             s.SortOrder = v == 0 ? 1 : v == 1 ? -1 : 0;
         },
         [](TParameter& p, const std::string& k, const MainSettings& s) {
             p.WriteInteger(k, s.SortOrder == -1 ? 1 : 0);
         }},
        Int("分割表示する場合のモード", &MainSettings::SplitMode),
        Int("分割表示する場合の個数", &MainSettings::SplitCount),
        Int("分割表示する場合の行当り個数", &MainSettings::SplitColumn),
        {"FontName",
         [](const TParameter& p, const std::string& k, MainSettings& s) { s.FontName = p.ReadString(k); },
         [](TParameter& p, const std::string& k, const MainSettings& s) { p.WriteString(k, s.FontName); }},
        Int("FontSize", &MainSettings::FontSize),
        {"FontStyle",
         [](const TParameter& p, const std::string& k, MainSettings& s) { s.FontStyle = p.ReadFontStyle(k); },
         [](TParameter& p, const std::string& k, const MainSettings& s) {
             p.WriteFontStyle(k, s.FontStyle);
         }},
        Int("FontColor", &MainSettings::FontColor),
        Dir("OpenDir", &MainSettings::OpenDir),
        Dir("SaveDir", &MainSettings::SaveDir),
        Dir("SaveSDir", &MainSettings::SaveSDir),
    };
    return keys;
}

const char* const kBoundKeys[] = {"Left", "Top", "Width", "Height"};
const char* const kCurrentItemKey = "シンボル文字列";

} // namespace

std::vector<std::string> ReadMainSettings(const TParameter& store, MainSettings& settings) {
    std::vector<std::string> messages;
    auto attempt = [&](const std::function<void()>& read) {
        try {
            read();
            return true;
        } catch (const std::exception& e) {
            messages.emplace_back(e.what());
            return false;
        }
    };

    // The bounds go together: a window placed by three of four numbers would be odd.
    int32_t bounds[4] = {settings.Left, settings.Top, settings.Width, settings.Height};
    bool allBounds = true;
    for (int i = 0; i < 4; ++i)
        allBounds &= attempt([&] { bounds[i] = store.ReadInteger(kBoundKeys[i]); });
    if (allBounds) {
        settings.Left = bounds[0];
        settings.Top = bounds[1];
        settings.Width = bounds[2];
        settings.Height = bounds[3];
        settings.HasBounds = true;
    }

    for (const Key& key : SettingKeys()) {
        // a key that fails keeps its first-run value: read into a copy
        MainSettings read = settings;
        if (attempt([&] { key.read(store, Sjis(key.name), read); }))
            settings = std::move(read);
    }
    attempt([&] { settings.CurrentItem = store.ReadInteger(Sjis(kCurrentItemKey)); });
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
    if (fresh || !maximized) {
        const int32_t bounds[4] = {settings.Left, settings.Top, settings.Width, settings.Height};
        for (int i = 0; i < 4; ++i)
            store.WriteInteger(kBoundKeys[i], bounds[i]);
    }

    const std::vector<Key>& keys = SettingKeys();
    keys[0].write(store, Sjis(keys[0].name), settings); // WindowState
    store.WriteInteger(Sjis(kCurrentItemKey), settings.CurrentItem);
    for (size_t i = 1; i < keys.size(); ++i)
        keys[i].write(store, Sjis(keys[i].name), settings);

    for (const std::string& line : appended)
        store.Add(line);
}

} // namespace zarvo::app
