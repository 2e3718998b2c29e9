#include "datalist/datalistsettings.h"

#include "datalist/controlsteps.h"
#include "shared/cp932.h"

#include <functional>

namespace zarvo::datalist {

using param::TParameter;

namespace {

std::string Sjis(const char* utf8) {
    return shared::Utf8ToCp932(utf8);
}

const char* const kBoundKeys[] = {"DLeft", "DTop", "DWidth", "DHeight"};

// One key after the bounds: how it is read into the settings and written from them.
struct Key {
    const char* name; // UTF-8
    std::function<void(const TParameter&, const std::string&, DataListSettings&)> read;
    std::function<void(TParameter&, const std::string&, const DataListSettings&)> write;
};

Key Int(const char* name, int32_t DataListSettings::*field, int32_t (*fit)(int32_t, int32_t)) {
    return {name,
            [field, fit](const TParameter& p, const std::string& k, DataListSettings& s) {
                s.*field = fit(p.ReadInteger(k), s.*field);
            },
            [field](TParameter& p, const std::string& k, const DataListSettings& s) {
                p.WriteInteger(k, s.*field);
            }};
}

Key Width(const char* name, size_t column) {
    return {name,
            [column](const TParameter& p, const std::string& k, DataListSettings& s) {
                const int32_t width = p.ReadInteger(k);
                if (width >= 1)
                    s.ColWidths[column] = width;
            },
            [column](TParameter& p, const std::string& k, const DataListSettings& s) {
                p.WriteInteger(k, s.ColWidths[column]);
            }};
}

Key Bool(const char* name, bool DataListSettings::*field) {
    return {
        name,
        [field](const TParameter& p, const std::string& k, DataListSettings& s) { s.*field = p.ReadBool(k); },
        [field](TParameter& p, const std::string& k, const DataListSettings& s) {
            p.WriteBool(k, s.*field);
        }};
}

Key String(const char* name, std::string DataListSettings::*field) {
    return {name,
            [field](const TParameter& p, const std::string& k, DataListSettings& s) {
                s.*field = p.ReadString(k);
            },
            [field](TParameter& p, const std::string& k, const DataListSettings& s) {
                p.WriteString(k, s.*field);
            }};
}

int32_t AsRead(int32_t value, int32_t) {
    return value;
}
int32_t Positive(int32_t value, int32_t old) {
    return value >= 1 ? value : old;
}
int32_t RowHeight(int32_t value, int32_t) {
    return ClampRowHeight(value);
}
int32_t Partition(int32_t value, int32_t) {
    return ClampPartition(value);
}

const std::vector<Key>& SettingKeys() {
    static const std::vector<Key> keys = {
        Int("DWindowState", &DataListSettings::WindowState, AsRead),
        String("DFontName", &DataListSettings::FontName),
        Int("DFontSize", &DataListSettings::FontSize, Positive),
        {"DFontStyle",
         [](const TParameter& p, const std::string& k, DataListSettings& s) {
             s.FontStyle = p.ReadFontStyle(k);
         },
         [](TParameter& p, const std::string& k, const DataListSettings& s) {
             p.WriteFontStyle(k, s.FontStyle);
         }},
        Int("DFontColor", &DataListSettings::FontColor, AsRead),
        Int("DDefaultRowHeight", &DataListSettings::DefaultRowHeight, RowHeight),
        Width("DColWidths[1]", 0),
        Width("DColWidths[2]", 1),
        Width("DColWidths[3]", 2),
        Int("DPartition", &DataListSettings::Partition, Partition),
        Bool("エンターキーで次の行に移動", &DataListSettings::EnterMovesToNextRow),
        Bool("常時文字入力の状態", &DataListSettings::AlwaysShowEditor),
        Bool("エンターキーでデータチェック", &DataListSettings::EnterChecksData),
        Bool("完全に一致する文字列を検索", &DataListSettings::ExactMatch),
        String("検索文字列", &DataListSettings::SearchText),
    };
    return keys;
}

} // namespace

DataListSettings::DataListSettings() : FontName(Sjis("ＭＳ Ｐゴシック")) {}

std::vector<std::string> DataListKeys() {
    std::vector<std::string> names(std::begin(kBoundKeys), std::end(kBoundKeys));
    for (const Key& key : SettingKeys())
        names.push_back(Sjis(key.name));
    return names;
}

std::vector<std::string> ReadDataListSettings(const TParameter& store, DataListSettings& settings) {
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
    if (allBounds && bounds[2] >= 1 && bounds[3] >= 1) {
        settings.Left = bounds[0];
        settings.Top = bounds[1];
        settings.Width = bounds[2];
        settings.Height = bounds[3];
    }
    for (const Key& key : SettingKeys()) {
        DataListSettings read = settings; // a key that fails keeps its value
        if (attempt([&] { key.read(store, Sjis(key.name), read); }))
            settings = std::move(read);
    }
    return messages;
}

void WriteDataListSettings(TParameter& store, const DataListSettings& settings, bool maximized) {
    if (store.Count() == 0 || !maximized) {
        const int32_t bounds[4] = {settings.Left, settings.Top, settings.Width, settings.Height};
        for (int i = 0; i < 4; ++i)
            store.WriteInteger(kBoundKeys[i], bounds[i]);
    }
    for (const Key& key : SettingKeys())
        key.write(store, Sjis(key.name), settings);
}

} // namespace zarvo::datalist
