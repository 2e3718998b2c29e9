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

TEST(DataList, ANewItemGoesDirectlyAfterTheCurrentOne) {
    const struct {
        std::vector<std::string> start;
        int32_t current;
        std::string code;
        int32_t index;
        bool inserted;
        std::vector<std::string> codes;
    } cases[] = {
        {{}, -1, "X", 0, true, {"X"}},
        {{}, 3, "X", 0, true, {"X"}}, // a stale current index in an empty list
        {{"A", "B", "C"}, 1, "X", 2, true, {"A", "B", "X", "C"}},
        {{"A", "B", "C"}, 2, "X", 3, true, {"A", "B", "C", "X"}},
        {{"A", "B", "C"}, -1, "X", 0, true, {"X", "A", "B", "C"}},
        {{"A", "B", "C"}, 9, "X", 3, true, {"A", "B", "C", "X"}},
        {{"A", "B", "C"}, INT32_MAX, "X", 3, true, {"A", "B", "C", "X"}},
        // an equal symbol string is selected, never stored twice; letter case counts
        {{"A", "B", "C"}, 0, "C", 2, false, {"A", "B", "C"}},
        {{"A", "B", "C"}, 0, "b", 1, true, {"A", "b", "B", "C"}},
    };
    for (const auto& c : cases) {
        DataList list = Items(c.start);
        const DataList::Placement placed =
            list.SelectOrInsert(c.current, c.code, c.code + "-up", c.code + "-dn");
        EXPECT_EQ(placed.Index, c.index) << c.code << " after " << c.current;
        EXPECT_EQ(placed.Inserted, c.inserted) << c.code << " after " << c.current;
        EXPECT_EQ(list, Items(c.codes)) << c.code << " after " << c.current;
    }
}

TEST(DataList, DeletingSelectsTheNeighbourAndMovingStopsAtTheEnds) {
    const struct {
        std::vector<std::string> start;
        int32_t index;
        int32_t next;
        std::vector<std::string> codes;
    } deletes[] = {
        {{"A", "B", "C"}, 0, 0, {"B", "C"}},
        {{"A", "B", "C"}, 1, 1, {"A", "C"}},
        {{"A", "B", "C"}, 2, 1, {"A", "B"}}, // the last: the new last
        {{"A"}, 0, -1, {}},
    };
    for (const auto& c : deletes) {
        DataList list = Items(c.start);
        EXPECT_EQ(list.DeleteItem(c.index), c.next) << c.index;
        EXPECT_EQ(list, Items(c.codes)) << c.index;
    }

    const struct {
        int32_t index;
        bool up;
        int32_t to;
        std::vector<std::string> codes;
    } moves[] = {
        {1, true, 0, {"B", "A", "C"}},  {1, false, 2, {"A", "C", "B"}}, {0, true, 0, {"A", "B", "C"}},
        {2, false, 2, {"A", "B", "C"}}, {2, true, 1, {"A", "C", "B"}},
    };
    for (const auto& c : moves) {
        DataList list = Items({"A", "B", "C"});
        EXPECT_EQ(list.MoveItem(c.index, c.up), c.to) << c.index << (c.up ? " up" : " down");
        EXPECT_EQ(list, Items(c.codes)) << c.index << (c.up ? " up" : " down");
    }
    DataList one = Items({"A"});
    EXPECT_EQ(one.MoveItem(0, true), 0);
    EXPECT_EQ(one.MoveItem(0, false), 0);
    EXPECT_THROW(one.MoveItem(1, true), std::out_of_range);
}

TEST(DataList, ReorderTakesEveryItemOnceAndWhole) {
    DataList list = Items({"A", "B", "C"});
    list.Reorder({2, 0, 1});
    EXPECT_EQ(list, Items({"C", "A", "B"}));
    const std::vector<int32_t> bad[] = {{0, 1}, {0, 1, 1}, {0, 1, 3}, {0, -1, 2}, {0, 1, 2, 0}};
    for (const auto& order : bad) {
        EXPECT_THROW(list.Reorder(order), std::invalid_argument);
        EXPECT_EQ(list, Items({"C", "A", "B"}));
    }
}

TEST(DataList, TheReturnedRowIsBroughtIntoTheList) {
    // the data list window hands back its current row - 1; rows may have been deleted meanwhile
    const struct {
        int32_t count, returned, index;
    } cases[] = {{0, 0, -1}, {0, 5, -1}, {3, 0, 0}, {3, 2, 2}, {3, 3, 2}, {3, 99, 2}, {3, -1, 0}};
    for (const auto& c : cases) {
        DataList list;
        for (int32_t i = 0; i < c.count; ++i)
            list.Append(std::to_string(i), "", "");
        EXPECT_EQ(list.ReturnIndex(c.returned), c.index) << c.count << " items, returned " << c.returned;
    }
}

} // namespace
} // namespace zarvo::datalist
