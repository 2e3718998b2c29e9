// The data list as the text printer prints it ("印刷" of the data list window): three numbered
// lines per item. No Qt.
#pragma once

#include "datalist/datalistmodel.h"

#include <cstdint>
#include <string>

namespace zarvo::printing {

// The digits of the item numbers for a grid of rowCount rows (items + 2): 2 below 100, 4 below
// 10,000, 6 below 1,000,000, else 8.
int32_t ListingDigits(int64_t rowCount);

// For each item b (from 1), with p its number right-aligned in ListingDigits places followed by
// ": ", the lines p + upper comment, p + symbol string, p + lower comment, each ended by CR LF.
// Empty for an empty list.
std::string ListingText(const datalist::DataList& items);

} // namespace zarvo::printing
