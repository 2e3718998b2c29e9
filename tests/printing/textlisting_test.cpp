// The data list's text listing: the digits of the item numbers and the three lines of an item.
#include "printing/textlisting.h"

#include <gtest/gtest.h>

namespace zarvo::printing {
namespace {

datalist::DataList Items(int32_t count) {
    datalist::DataList list;
    for (int32_t i = 1; i <= count; ++i)
        list.Append("code" + std::to_string(i), "up" + std::to_string(i), "down" + std::to_string(i));
    return list;
}

TEST(TextListing, DigitsByTheGridsRowCount) {
    struct {
        int64_t rows;
        int32_t digits;
    } cases[] = {{2, 2}, {99, 2}, {100, 4}, {9999, 4}, {10000, 6}, {999999, 6}, {1000000, 8}};
    for (const auto& c : cases)
        EXPECT_EQ(ListingDigits(c.rows), c.digits) << c.rows << " rows";
    // 97 items are 99 rows, 98 items 100
    EXPECT_EQ(ListingText(Items(97)).substr(0, 9), " 1: up1\r\n");
    EXPECT_EQ(ListingText(Items(98)).substr(0, 11), "   1: up1\r\n");
}

TEST(TextListing, ThreeLinesPerItemInOrder) {
    datalist::DataList list = Items(3);
    list.SetComments(1, "", "down2");
    const std::string text = ListingText(list);
    EXPECT_EQ(text.substr(text.find(" 2: ")), " 2: \r\n 2: code2\r\n 2: down2\r\n"
                                              " 3: up3\r\n 3: code3\r\n 3: down3\r\n");
    EXPECT_EQ(ListingText(datalist::DataList()), "");
}

} // namespace
} // namespace zarvo::printing
