// The data list window's settings as plain values, and their keys in the main window's settings
// store: read when the window opens, written whenever it closes. No widgets here.
#pragma once

#include "component/picture/text.h"
#include "param/param.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarvo::datalist {

// Every value the window keeps between runs, at the value in force when the store is empty.
struct DataListSettings {
    int32_t Left = 191, Top = 182, Width = 564, Height = 378;
    int32_t WindowState = 0; // 0 normal, 1 minimised, 2 maximised
    std::string FontName;    // CP932; "ＭＳ Ｐゴシック"
    int32_t FontSize = 9;    // points
    param::TFontStyles FontStyle;
    int32_t FontColor = -2147483640; // the system window-text colour
    int32_t DefaultRowHeight = 24;   // 6..80
    std::array<int32_t, 3> ColWidths = {181, 165, 156};
    int32_t Partition = 1;            // print columns, 1..24
    bool EnterMovesToNextRow = false; // CheckBox1
    bool AlwaysShowEditor = false;    // CheckBox2
    bool EnterChecksData = false;     // CheckBox3
    bool ExactMatch = false;          // CheckBox4
    std::string SearchText;           // CP932, Edit1

    DataListSettings();
};

// A font kept as four keys (FontName, FontSize, FontStyle, FontColor of a settings struct S: the
// grid font here, the comment font of the main window), and those four of a font.
template <class S> component::TFont FontOfSettings(const S& s) {
    component::TFont font;
    font.Name = s.FontName;
    font.Size = s.FontSize;
    font.Bold = s.FontStyle.Bold;
    font.Italic = s.FontStyle.Italic;
    font.Underline = s.FontStyle.Underline;
    font.StrikeOut = s.FontStyle.StrikeOut;
    font.Color = s.FontColor;
    return font;
}
template <class S> void SetFontSettings(S& s, const component::TFont& font) {
    s.FontName = font.Name;
    s.FontSize = font.Size;
    s.FontStyle = {font.Bold, font.Italic, font.Underline, font.StrikeOut};
    s.FontColor = font.Color;
}

// The keys in the order they are read and written (CP932): "DLeft" .. "検索文字列".
std::vector<std::string> DataListKeys();

// Reads every key into settings. A key that is missing or holds a value of the wrong form keeps
// its value; the store's message for it (CP932 bytes) is returned, one per such key, in reading
// order. A row height or number of print columns out of range is brought into it; a font size or
// column width below 1 keeps its value.
std::vector<std::string> ReadDataListSettings(const param::TParameter& store, DataListSettings& settings);

// Writes every key, existing keys keeping their lines. The bounds ("DLeft" .. "DHeight") only when
// the store is empty or the window is not maximised, so that a maximised window keeps its last
// normal place.
void WriteDataListSettings(param::TParameter& store, const DataListSettings& settings, bool maximized);

} // namespace zarvo::datalist
