// The main window's settings as plain values, and their keys in the settings store: read at start,
// written at close. No widgets here, so the file format is tested without a window.
#pragma once

#include "param/param.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarvo::app {

// CP932 bytes of UTF-8 source text (keys, the header line and the default lines are Japanese).
std::string Sjis(const char* utf8);

// Every value the main window keeps between runs, at its first-run value. Colours are 32-bit
// colour values (red in the low byte; top bit set: a system colour).
struct MainSettings {
    bool HasBounds = false; // Left..Height were read
    int32_t Left = 0, Top = 0, Width = 368, Height = 441;
    int32_t WindowState = 0; // 0 normal, 1 minimised, 2 maximised
    int32_t Emode = -1;
    int32_t Eclevel = 0;
    int32_t Masktype = -1;
    bool ClipWatch = false;
    int32_t Pxmag = 1;
    int32_t DisplayFormat = 0;
    int32_t Version = 1;
    int32_t SpaceUp = 10, SpaceDown = 10, SpaceLeft = 10, SpaceRight = 10;
    int32_t CopyMethod = 0;
    int32_t PrintCount = 1;
    int32_t PrintMagnification = 100;
    int32_t SymbolColor = 0;
    int32_t BackColor = 16777215;
    bool SameSizeSwitch = false;
    int32_t PrintRowSpace = 10;
    int32_t PrintColSpace = 0;
    bool BinaryOperation = false;
    int32_t SortKey = 0;   // 0 symbol strings, 1 upper, 2 lower comments; -1 no value
    int32_t SortOrder = 1; // +1 ascending, -1 descending, 0 no value
    int32_t SplitMode = 0;
    int32_t SplitCount = 1;
    int32_t SplitColumn = 16;
    std::string FontName = Sjis("ＭＳ Ｐゴシック");
    int32_t FontSize = 9;
    param::TFontStyles FontStyle;
    int32_t FontColor = -2147483640;
    std::string OpenDir, SaveDir, SaveSDir; // CP932 path bytes
    int32_t CurrentItem = 0;                // selected item, -1 none
};

// "Zarvo環境設定ファイル --- このファイルは、編集しないで下さい。" (CP932): the first line of a new
// settings file; never read.
std::string HeaderLine();
// The data list window's 19 default lines, in file order (CP932).
std::vector<std::string> DataListDefaultLines();

// Reads the main window's keys, "Left" to "SaveSDir" then "シンボル文字列", into settings. A key
// that is missing or holds a value of the wrong form keeps its first-run value; the store's
// message for it (CP932 bytes) is returned, one per such key, in reading order.
std::vector<std::string> ReadMainSettings(const param::TParameter& store, MainSettings& settings);

// Writes the settings into the store as the close does: the data list window's default lines
// when the store is empty (or its lines when it holds nothing but the data list window's keys),
// the header and the bounds for a new file, the bounds also whenever the window is not maximised,
// then every key in its order. Existing keys keep their lines. A directory holding a line break
// is stored empty (the line would break the file).
void WriteMainSettings(param::TParameter& store, const MainSettings& settings, bool maximized);

} // namespace zarvo::app
