// The dozen Japanese items that printing tests and window pictures show. Header-only.
#pragma once

#include "datalist/datalistmodel.h"
#include "shared/cp932.h"

namespace zarvo::testsupport {

// Twelve items in Japanese: symbol strings, upper and lower comments (CP932).
inline datalist::DataList JapaneseItems() {
    static const char* const kItems[][3] = {
        {"東京タワー", "東京", "三三三メートル"},
        {"大阪城", "大阪", "天守閣"},
        {"名古屋城", "名古屋", "金の鯱"},
        {"京都御所", "京都", "平安"},
        {"札幌時計台", "札幌", "明治"},
        {"博多どんたく", "福岡", "五月"},
        {"仙台七夕", "仙台", "八月"},
        {"広島平和記念公園", "広島", "平和"},
        {"金沢兼六園", "金沢", "庭園"},
        {"那覇首里城", "沖縄", "琉球"},
        {"神戸港", "神戸", "港町"},
        {"奈良の大仏", "奈良", "東大寺"},
    };
    datalist::DataList list;
    for (const auto& item : kItems)
        list.Append(shared::Utf8ToCp932(item[0]), shared::Utf8ToCp932(item[1]), shared::Utf8ToCp932(item[2]));
    return list;
}

} // namespace zarvo::testsupport
