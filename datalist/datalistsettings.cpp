#include "datalist/datalistsettings.h"

#include "datalist/controlsteps.h"
#include "param/settingkeys.h"
#include "shared/cp932.h"

namespace zarvo::datalist {

using param::TParameter;

namespace {

using Key = param::SettingKey<DataListSettings>;

std::string Sjis(const char* utf8) {
    return shared::Utf8ToCp932(utf8);
}

const param::BoundKeys kBoundKeys = {"DLeft", "DTop", "DWidth", "DHeight"};

int32_t Positive(int32_t value, int32_t held) {
    return value >= 1 ? value : held;
}
int32_t RowHeight(int32_t value, int32_t) {
    return ClampRowHeight(value);
}
int32_t Partition(int32_t value, int32_t) {
    return ClampPartition(value);
}

Key Width(const char* name, size_t column) {
    return {name,
            [column](const TParameter& p, const std::string& k, DataListSettings& s) {
                s.ColWidths[column] = Positive(p.ReadInteger(k), s.ColWidths[column]);
            },
            [column](TParameter& p, const std::string& k, const DataListSettings& s) {
                p.WriteInteger(k, s.ColWidths[column]);
            }};
}

// The keys after the bounds, in the order they are read and written.
const std::vector<Key>& SettingKeys() {
    using S = DataListSettings;
    static const std::vector<Key> keys = {
        param::IntegerKey("DWindowState", &S::WindowState),
        param::StringKey("DFontName", &S::FontName),
        param::IntegerKey("DFontSize", &S::FontSize, Positive),
        param::FontStyleKey("DFontStyle", &S::FontStyle),
        param::IntegerKey("DFontColor", &S::FontColor),
        param::IntegerKey("DDefaultRowHeight", &S::DefaultRowHeight, RowHeight),
        Width("DColWidths[1]", 0),
        Width("DColWidths[2]", 1),
        Width("DColWidths[3]", 2),
        param::IntegerKey("DPartition", &S::Partition, Partition),
        param::BoolKey(Sjis("エンターキーで次の行に移動"), &S::EnterMovesToNextRow),
        param::BoolKey(Sjis("常時文字入力の状態"), &S::AlwaysShowEditor),
        param::BoolKey(Sjis("エンターキーでデータチェック"), &S::EnterChecksData),
        param::BoolKey(Sjis("完全に一致する文字列を検索"), &S::ExactMatch),
        param::StringKey(Sjis("検索文字列"), &S::SearchText),
    };
    return keys;
}

} // namespace

DataListSettings::DataListSettings() : FontName(Sjis("ＭＳ Ｐゴシック")) {}

std::vector<std::string> DataListKeys() {
    std::vector<std::string> names(kBoundKeys.begin(), kBoundKeys.end());
    for (const Key& key : SettingKeys())
        names.push_back(key.Name);
    return names;
}

std::vector<std::string> ReadDataListSettings(const TParameter& store, DataListSettings& settings) {
    std::vector<std::string> messages;
    param::ReadBounds(store, kBoundKeys, settings, messages);
    param::ReadKeys(store, SettingKeys(), settings, messages);
    return messages;
}

void WriteDataListSettings(TParameter& store, const DataListSettings& settings, bool maximized) {
    if (store.Count() == 0 || !maximized)
        param::WriteBounds(store, kBoundKeys, settings);
    param::WriteKeys(store, SettingKeys(), settings);
}

} // namespace zarvo::datalist
