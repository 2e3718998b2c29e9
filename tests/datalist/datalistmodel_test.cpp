#include "datalist/datalistmodel.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace zarvo::datalist {
namespace {

// A list whose comments name their item, so that a test sees whether all three lists moved together.
DataList Items(const std::vector<std::string>& codes) {
    DataList list;
    for (const std::string& code : codes)
        list.Append(code, code + "-up", code + "-dn");
    return list;
}

TEST(DataList, EveryEditTouchesTheSameIndexInAllThreeLists) {
    const std::vector<std::string> abc = {"A", "B", "C"};
    const struct {
        const char* what;
        std::vector<std::string> start;
        std::function<void(DataList&)> edit;
        std::vector<std::string> codes;
    } cases[] = {
        {"append to empty", {}, [](DataList& l) { l.Append("X", "X-up", "X-dn"); }, {"X"}},
        {"append", abc, [](DataList& l) { l.Append("X", "X-up", "X-dn"); }, {"A", "B", "C", "X"}},
        {"insert at the front",
         abc,
         [](DataList& l) { l.Insert(0, "X", "X-up", "X-dn"); },
         {"X", "A", "B", "C"}},
        {"insert after B", abc, [](DataList& l) { l.Insert(2, "X", "X-up", "X-dn"); }, {"A", "B", "X", "C"}},
        {"insert at the end",
         abc,
         [](DataList& l) { l.Insert(3, "X", "X-up", "X-dn"); },
         {"A", "B", "C", "X"}},
        {"delete the first", abc, [](DataList& l) { l.Delete(0); }, {"B", "C"}},
        {"delete the last", abc, [](DataList& l) { l.Delete(2); }, {"A", "B"}},
        {"delete the only one", {"A"}, [](DataList& l) { l.Delete(0); }, {}},
        {"exchange", abc, [](DataList& l) { l.ExchangeRows(2, 0); }, {"C", "B", "A"}},
        {"exchange with itself", abc, [](DataList& l) { l.ExchangeRows(1, 1); }, {"A", "B", "C"}},
        {"clear", abc, [](DataList& l) { l.Clear(); }, {}},
    };
    for (const auto& c : cases) {
        DataList list = Items(c.start);
        c.edit(list);
        EXPECT_EQ(list, Items(c.codes)) << c.what;
        EXPECT_EQ(list.Count(), static_cast<int32_t>(c.codes.size())) << c.what;
    }

    DataList list = Items({"A", "B"});
    list.SetComments(1, "up", "");
    EXPECT_EQ(list.Code(1), "B");
    EXPECT_EQ(list.Up(1), "up");
    EXPECT_EQ(list.Down(1), "");
    EXPECT_EQ(list.Up(0), "A-up");
}

TEST(DataList, FindsTheFirstByteEqualSymbolString) {
    // "\x83\x56" is シ; its trail byte 0x56 is 'V', which must not match by itself
    const DataList list = Items({"a", "", "A", std::string("x\0y", 3), "a", "\x83\x56", "V"});
    const struct {
        std::string code;
        int32_t index;
    } cases[] = {
        {"a", 0},  {"A", 2}, {"", 1},      {std::string("x\0y", 3), 3},
        {"x", -1}, {"V", 6}, {"\x83", -1}, {"b", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list.Find(c.code), c.index) << c.code;
    EXPECT_EQ(DataList().Find(""), -1);
}

TEST(DataList, RefusesBadIndicesAndUnevenListsWithoutChange) {
    const DataList before = Items({"A", "B"});
    const struct {
        const char* what;
        std::function<void(DataList&)> edit;
    } outOfRange[] = {
        {"insert at -1", [](DataList& l) { l.Insert(-1, "X", "", ""); }},
        {"insert past the end", [](DataList& l) { l.Insert(3, "X", "", ""); }},
        {"delete -1", [](DataList& l) { l.Delete(-1); }},
        {"delete count", [](DataList& l) { l.Delete(2); }},
        {"exchange past the end", [](DataList& l) { l.ExchangeRows(1, 2); }},
        {"comments of -1", [](DataList& l) { l.SetComments(-1, "", ""); }},
        {"code of count", [](DataList& l) { (void)l.Code(2); }},
    };
    for (const auto& c : outOfRange) {
        DataList list = before;
        EXPECT_THROW(c.edit(list), std::out_of_range) << c.what;
        EXPECT_EQ(list, before) << c.what;
    }

    DataList list = before;
    EXPECT_THROW(list.Assign({"X", "Y"}, {"", ""}, {""}), std::invalid_argument);
    EXPECT_THROW(list.Assign({"X"}, {"", ""}, {""}), std::invalid_argument);
    EXPECT_EQ(list, before);
    list.Assign({"X", "Y"}, {"1", "2"}, {"3", "4"});
    EXPECT_EQ(list.Codes(), (std::vector<std::string>{"X", "Y"}));
    EXPECT_EQ(list.Downs(), (std::vector<std::string>{"3", "4"}));
}

} // namespace
} // namespace zarvo::datalist
