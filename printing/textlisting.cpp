#include "printing/textlisting.h"

#include "printing/textlayout.h"

namespace zarvo::printing {

int32_t ListingDigits(int64_t rowCount) {
    if (rowCount < 100)
        return 2;
    if (rowCount < 10000)
        return 4;
    if (rowCount < 1000000)
        return 6;
    return 8;
}

std::string ListingText(const datalist::DataList& items) {
    const int32_t digits = ListingDigits(int64_t{items.Count()} + 2);
    std::string text;
    for (int32_t i = 0; i < items.Count(); ++i) {
        // Every item number has at most digits digits, so the prefix is never cut
        const std::string prefix = FormatLineNumber(int64_t{i} + 1, digits);
        for (const std::string* line : {&items.Up(i), &items.Code(i), &items.Down(i)}) {
            text += prefix;
            text += *line;
            text += "\r\n";
        }
    }
    return text;
}

} // namespace zarvo::printing
