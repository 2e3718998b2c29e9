#include "datalist/datagrid.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <vector>

namespace zarvo::datalist {
namespace {

using Codes = std::vector<std::string>;

// Items whose comments name them, so that a test sees whether whole rows moved.
DataList Items(const Codes& codes) {
    DataList list;
    for (const std::string& code : codes)
        list.Append(code, code + "-u", code + "-d");
    return list;
}

// Column 1 of every row below the header, the trailing row included.
Codes CodesOf(const DataGrid& grid) {
    Codes codes;
    for (int32_t r = 1; r < grid.RowCount(); ++r)
        codes.push_back(grid.Cell(r, kColCode));
    return codes;
}

// Follows the grid only through its notifications; whatever the grid changes without telling,
// or tells wrongly, shows as a difference. It also sees that "before" comes before the change.
class Shadow : public GridObserver {
  public:
    explicit Shadow(DataGrid& grid) : grid_(grid) {
        ReadAll();
        grid.SetObserver(this);
    }
    ~Shadow() override { grid_.SetObserver(nullptr); }
    void Verify(const char* what) const {
        std::vector<std::array<std::string, 3>> now;
        for (int32_t r = 1; r < grid_.RowCount(); ++r)
            now.push_back({grid_.Cell(r, 1), grid_.Cell(r, 2), grid_.Cell(r, 3)});
        EXPECT_EQ(rows_, now) << what;
        EXPECT_EQ(pending_, 0) << what;
    }

  private:
    void RowInserting(int32_t row) override { Before(row, grid_.RowCount() + 1); }
    void RowInserted() override {
        rows_.insert(rows_.begin() + (row_ - 1), Read(row_));
        After(1);
    }
    void RowRemoving(int32_t row) override { Before(row, grid_.RowCount()); }
    void RowRemoved() override {
        rows_.erase(rows_.begin() + (row_ - 1));
        After(-1);
    }
    void RowMoving(int32_t from, int32_t to) override {
        Before(from, grid_.RowCount());
        to_ = to;
        EXPECT_GE(to, 1);
        EXPECT_LT(to, grid_.RowCount());
    }
    void RowMoved() override {
        auto row = rows_[static_cast<size_t>(row_ - 1)];
        rows_.erase(rows_.begin() + (row_ - 1));
        rows_.insert(rows_.begin() + (to_ - 1), row);
        After(0);
    }
    void RowsChanged(int32_t first, int32_t last) override {
        EXPECT_EQ(pending_, 0);
        ASSERT_LE(last, static_cast<int32_t>(rows_.size()));
        for (int32_t r = first; r <= last; ++r)
            rows_[static_cast<size_t>(r - 1)] = Read(r);
    }
    void AllChanging() override { ++pending_; }
    void AllChanged() override {
        --pending_;
        ReadAll();
    }

    void Before(int32_t row, int32_t limit) {
        EXPECT_EQ(pending_, 0);
        EXPECT_EQ(static_cast<int32_t>(rows_.size()), grid_.RowCount() - 1) << "told after the change";
        EXPECT_GE(row, 1);
        EXPECT_LT(row, limit);
        row_ = row;
        ++pending_;
    }
    void After(int delta) {
        --pending_;
        EXPECT_EQ(static_cast<int32_t>(rows_.size()), grid_.RowCount() - 1) << "rows changed by " << delta;
    }
    std::array<std::string, 3> Read(int32_t r) const {
        return {grid_.Cell(r, 1), grid_.Cell(r, 2), grid_.Cell(r, 3)};
    }
    void ReadAll() {
        rows_.clear();
        for (int32_t r = 1; r < grid_.RowCount(); ++r)
            rows_.push_back(Read(r));
    }

    DataGrid& grid_;
    std::vector<std::array<std::string, 3>> rows_;
    int32_t row_ = 0, to_ = 0;
    int pending_ = 0;
};

// The check as it reads: every later row compared with every row above it, nearest first.
CheckResult CheckByPairs(const Codes& codes) {
    const auto n = static_cast<int32_t>(codes.size());
    const auto code = [&](int32_t r) -> const std::string& { return codes[static_cast<size_t>(r - 1)]; };
    if (n == 1)
        return code(1).empty() ? CheckResult{1, 1} : CheckResult{};
    for (int32_t L = n; L >= 2; --L) {
        if (code(L).empty())
            return {L, L};
        for (int32_t E = L - 1; E >= 1; --E) {
            if (code(E).empty())
                return {E, E};
            if (code(E) == code(L))
                return {E, L};
        }
    }
    return {};
}

TEST(DataGrid, CheckDataReportsTheFaultTheRowByRowComparisonMeetsFirst) {
    const struct {
        Codes codes;
        CheckResult result;
        const char* message;
    } cases[] = {
        {{}, {0, 0}, ""},
        {{""}, {1, 1}, "1行目のシンボル文字列が入力されていません。"},
        {{"A"}, {0, 0}, ""},
        {{"A", "A"}, {1, 2}, "2行目と 1行目のデータが重複しています。"},
        {{"X", "", "X"}, {2, 2}, "2行目のシンボル文字列が入力されていません。"},
        {{"A", "B", "C", "D", "B"}, {2, 5}, "5行目と 2行目のデータが重複しています。"},
        {{"a", "A"}, {0, 0}, ""}, // letter case makes a difference
        {{"", "A", "B"}, {1, 1}, "1行目のシンボル文字列が入力されていません。"},
        {{"A", "B", "A", "B"}, {2, 4}, "4行目と 2行目のデータが重複しています。"},
        {{"A", "", "B", "B"}, {3, 4}, "4行目と 3行目のデータが重複しています。"},
        {{"A", "B", ""}, {3, 3}, "3行目のシンボル文字列が入力されていません。"},
        {{"A", "A", "B", "B"}, {3, 4}, "4行目と 3行目のデータが重複しています。"},
    };
    for (const auto& c : cases) {
        const DataGrid grid(Items(c.codes));
        const CheckResult result = grid.CheckData();
        EXPECT_EQ(result, c.result) << ::testing::PrintToString(c.codes);
        EXPECT_EQ(CheckMessage(result), c.message) << ::testing::PrintToString(c.codes);
    }
    // only symbol strings count: equal and empty comments are no fault
    DataList list;
    list.Append("A", "", "same");
    list.Append("B", "", "same");
    EXPECT_TRUE(DataGrid(list).CheckData().Ok());
}

TEST(DataGrid, CheckDataAgreesWithComparingEveryPair) {
    std::mt19937 random(5);
    const Codes alphabet = {"", "a", "b", "c", "d", "e", "f", "g"};
    for (int round = 0; round < 2000; ++round) {
        Codes codes(static_cast<size_t>(random() % 9));
        const auto letters = 2 + random() % 7; // a few: many equal rows; with "" often
        for (std::string& code : codes)
            code = alphabet[static_cast<size_t>(random() % letters)];
        ASSERT_EQ(DataGrid(Items(codes)).CheckData(), CheckByPairs(codes)) << ::testing::PrintToString(codes);
    }
}

TEST(DataGrid, TypingIntoTheTrailingRowMakesItADataRow) {
    DataGrid grid;
    Shadow shadow(grid);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_FALSE(grid.SetEditText(1, kColUp, "comment")); // comments only after the symbol string
    EXPECT_TRUE(grid.SetEditText(1, kColCode, ""));       // an empty text adds nothing
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_TRUE(grid.SetEditText(1, kColCode, "x"));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.ItemCount(), 1);
    EXPECT_TRUE(grid.SetEditText(1, kColCode, "xy"));
    EXPECT_TRUE(grid.SetEditText(1, kColUp, "up"));
    EXPECT_EQ(grid.RowCount(), 3);
    // clearing it again keeps the row; the check reports it
    EXPECT_TRUE(grid.SetEditText(1, kColCode, ""));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.CheckData(), (CheckResult{1, 1}));
    EXPECT_TRUE(grid.SetEditText(2, kColCode, "z"));
    EXPECT_EQ(CodesOf(grid), (Codes{"", "z", ""}));
    EXPECT_EQ(grid.ToList().Ups(), (Codes{"up", ""}));
    shadow.Verify("typing");
    EXPECT_THROW((void)grid.Cell(4, 1), std::out_of_range);
    EXPECT_THROW((void)grid.Cell(1, 0), std::out_of_range);
}

TEST(DataGrid, OnlyTheSymbolStringOfTheTrailingRowCanBeSelected) {
    DataGrid grid(Items({"A", "B"}));
    const struct {
        int32_t row, col;
        bool can;
    } cases[] = {{1, 1, true},  {2, 3, true},  {3, 1, true},  {3, 2, false}, {3, 3, false},
                 {1, 0, false}, {0, 1, false}, {4, 1, false}, {1, 4, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(grid.CanSelect(c.row, c.col), c.can) << c.row << "," << c.col;
        grid.Select(2, 2);
        EXPECT_EQ(grid.Select(c.row, c.col), c.can);
        EXPECT_EQ(grid.Current(), c.can ? (GridCell{c.row, c.col}) : (GridCell{2, 2}));
    }
}

TEST(DataGrid, InsertPlacesTheNewRowByTheModifierHeld) {
    const struct {
        bool ctrl, shift, alt;
        int32_t row;
        Codes codes;
        int32_t cursor;
    } cases[] = {
        {true, false, false, 3, {"A", "B", "C", "C", "D", ""}, 4},
        {true, true, true, 3, {"A", "B", "C", "C", "D", ""}, 4}, // Ctrl wins
        {false, true, false, 3, {"A", "B", "C", "C", "D", ""}, 3},
        {false, true, true, 3, {"A", "B", "C", "C", "D", ""}, 3},
        {false, false, true, 3, {"A", "B", "C", "", "D", ""}, 4},
        {false, false, false, 3, {"A", "B", "", "C", "D", ""}, 3},
        {false, false, false, 1, {"", "A", "B", "C", "D", ""}, 1},
        // on the trailing row: an empty data row either way
        {false, false, false, 5, {"A", "B", "C", "D", "", ""}, 5},
        {true, false, false, 5, {"A", "B", "C", "D", "", ""}, 6},
    };
    for (const auto& c : cases) {
        DataGrid grid(Items({"A", "B", "C", "D"}));
        Shadow shadow(grid);
        grid.Select(c.row, c.row == 5 ? 1 : 2);
        grid.InsertRow(InsertVariantFor(c.ctrl, c.shift, c.alt));
        EXPECT_EQ(CodesOf(grid), c.codes) << c.ctrl << c.shift << c.alt << " on " << c.row;
        EXPECT_EQ(grid.Current(), (GridCell{c.cursor, 1})) << c.ctrl << c.shift << c.alt << " on " << c.row;
        shadow.Verify("insert");
        // a copy is a whole row
        if (c.ctrl || c.shift) {
            EXPECT_EQ(grid.Cell(3, kColDown), "C-d");
        }
    }
    // a copied row is a duplicate of the one it came from: the later row is reported first
    DataGrid grid(Items({"A", "B", "C", "D"}));
    grid.Select(3, 1);
    grid.InsertRow(InsertVariant::CopyAfter);
    EXPECT_EQ(CheckMessage(grid.CheckData()), "4行目と 3行目のデータが重複しています。");
}

TEST(DataGrid, DeleteAndMoveWorkOnDataRowsOnly) {
    {
        DataGrid grid(Items({"A", "B", "C"}));
        Shadow shadow(grid);
        grid.Select(2, 3);
        EXPECT_TRUE(grid.DeleteRow());
        EXPECT_EQ(CodesOf(grid), (Codes{"A", "C", ""}));
        EXPECT_EQ(grid.Current(), (GridCell{2, 1}));
        EXPECT_TRUE(grid.DeleteRow());
        EXPECT_EQ(grid.Current(), (GridCell{2, 1})); // now the trailing row
        EXPECT_FALSE(grid.DeleteRow());
        EXPECT_EQ(CodesOf(grid), (Codes{"A", ""}));
        shadow.Verify("delete");
    }
    const struct {
        Codes start;
        int32_t row;
        bool up;
        bool moved;
        Codes codes;
        int32_t cursor;
    } moves[] = {
        {{"A", "B", "C"}, 2, true, true, {"B", "A", "C"}, 1},
        {{"A", "B", "C"}, 2, false, true, {"A", "C", "B"}, 3},
        {{"A", "B", "C"}, 1, true, false, {"A", "B", "C"}, 1},
        {{"A", "B", "C"}, 3, false, false, {"A", "B", "C"}, 3},
        {{"A", "B", "C"}, 4, true, false, {"A", "B", "C"}, 4}, // the trailing row does not move
        {{"A"}, 1, false, false, {"A"}, 1},                    // fewer than two data rows
    };
    for (const auto& c : moves) {
        DataGrid grid(Items(c.start));
        Shadow shadow(grid);
        grid.Select(c.row, 1);
        EXPECT_EQ(grid.MoveCurrent(c.up), c.moved) << c.row << c.up;
        Codes expected = c.codes;
        expected.push_back("");
        EXPECT_EQ(CodesOf(grid), expected) << c.row << c.up;
        EXPECT_EQ(grid.Current().Row, c.cursor) << c.row << c.up;
        shadow.Verify("move");
    }
}

TEST(DataGrid, DraggingFromOrOntoTheTrailingRowLeavesTheTableAsItWas) {
    const struct {
        int32_t from, to;
        Codes codes;
        int32_t cursor; // the cursor was on row 2 ("B")
    } cases[] = {
        {4, 1, {"A", "B", "C", ""}, 2}, {1, 4, {"A", "B", "C", ""}, 2}, {4, 4, {"A", "B", "C", ""}, 2},
        {1, 3, {"B", "C", "A", ""}, 1}, {3, 1, {"C", "A", "B", ""}, 3}, {2, 3, {"A", "C", "B", ""}, 3},
        {2, 2, {"A", "B", "C", ""}, 2},
    };
    for (const auto& c : cases) {
        DataGrid grid(Items({"A", "B", "C"}));
        Shadow shadow(grid);
        grid.Select(2, 3);
        grid.RowDragged(c.from, c.to);
        EXPECT_EQ(CodesOf(grid), c.codes) << c.from << "->" << c.to;
        EXPECT_EQ(grid.Current(), (GridCell{c.cursor, 3})) << c.from << "->" << c.to;
        EXPECT_EQ(grid.Cell(1, kColUp), grid.Cell(1, kColCode) + "-u");
        shadow.Verify("drag");
    }
    DataGrid grid(Items({"A", "B"}));
    EXPECT_THROW(grid.MoveRow(3, 1), std::out_of_range);
    EXPECT_THROW(grid.RowDragged(0, 1), std::out_of_range);
}

TEST(DataGrid, FindTextVisitsCellsInReadingOrderWithoutWrapping) {
    DataList list;
    list.Append("abc", "x", "y");
    list.Append("", "zabcz", "z");
    list.Append("q", "", "ab");
    list.Append("\x83\x56", "V\x83\x56", "\x83\x56V"); // シ, Vシ, シV: the trail byte of シ is 'V'
    const struct {
        GridCell from;
        std::string text;
        bool forward, exact;
        GridCell found; // {0, 0}: nothing, the cursor stays
    } cases[] = {
        {{1, 1}, "abc", true, false, {2, 2}},
        {{2, 2}, "abc", true, false, {0, 0}},
        {{3, 3}, "abc", false, false, {2, 2}},
        {{2, 2}, "abc", false, false, {1, 1}},
        {{1, 1}, "abc", false, false, {0, 0}},
        {{1, 1}, "abc", true, true, {0, 0}}, // exact: "zabcz" is no match
        {{1, 1}, "ab", true, true, {3, 3}},
        {{1, 1}, "ABC", true, false, {0, 0}}, // letter case counts
        // an empty text finds empty cells, at the latest the trailing row's symbol string
        {{1, 1}, "", true, false, {2, 1}},
        {{2, 1}, "", true, false, {3, 2}},
        {{3, 2}, "", true, true, {5, 1}},
        {{5, 1}, "", true, false, {0, 0}},
        {{5, 1}, "", false, false, {3, 2}},
        // a match starts at a character, never on the second byte of one
        {{1, 1}, "V", true, false, {4, 2}},
        {{4, 2}, "V", true, false, {4, 3}},
        {{4, 3}, "\x83\x56", false, false, {4, 2}},
    };
    for (const auto& c : cases) {
        DataGrid grid(list);
        grid.Select(c.from.Row, c.from.Col);
        const bool found = grid.FindText(c.text, c.forward, c.exact);
        const std::string what = "'" + c.text + "' from " + std::to_string(c.from.Row) + "," +
                                 std::to_string(c.from.Col) + (c.forward ? " forward" : " backward");
        EXPECT_EQ(found, c.found.Row != 0) << what;
        EXPECT_EQ(grid.Current(), found ? c.found : c.from) << what;
    }
    EXPECT_FALSE(ContainsAtBoundary("\x83\x56\x83\x56", "\x56\x83"));
    EXPECT_TRUE(ContainsAtBoundary("a\x83\x56", "\x83\x56"));
}

TEST(DataGrid, EnterMovesDownAndChecksOnTheLastDataRow) {
    const struct {
        const char* what;
        Codes codes;
        GridCell at;
        bool nextRow, alwaysCheck;
        GridCell cursor;
        bool checked;
        CheckResult check;
    } cases[] = {
        {"next row", {"A", "B"}, {1, 1}, true, false, {2, 1}, false, {}},
        {"last data row checks", {"A", "B"}, {2, 1}, false, false, {2, 1}, true, {}},
        {"onto the trailing row", {"A", "B"}, {2, 1}, true, false, {3, 1}, true, {}},
        {"not onto a trailing comment", {"A", "B"}, {2, 2}, true, false, {2, 2}, false, {}},
        {"only in column 1", {"A", "B"}, {2, 3}, false, true, {2, 3}, false, {}},
        {"key row is one of the two", {"A", "B", "A"}, {3, 1}, false, false, {3, 1}, true, {1, 3}},
        {"... also after moving down", {"A", "B", "A"}, {3, 1}, true, false, {4, 1}, true, {1, 3}},
        {"to the later row", {"A", "A", "B"}, {3, 1}, false, false, {2, 1}, true, {1, 2}},
        {"to the empty row", {"A", "", "B"}, {3, 1}, true, false, {2, 1}, true, {2, 2}},
        {"always", {"A", "A", "B"}, {1, 1}, false, true, {1, 1}, true, {1, 2}},
        {"always, moved", {"A", "B", "C", "C"}, {1, 1}, true, true, {4, 1}, true, {3, 4}},
        {"trailing row of an empty list", {}, {1, 1}, true, false, {1, 1}, false, {}},
    };
    for (const auto& c : cases) {
        DataGrid grid(Items(c.codes));
        grid.Select(c.at.Row, c.at.Col);
        const DataGrid::EnterResult result = grid.EnterKey(c.nextRow, c.alwaysCheck);
        EXPECT_EQ(grid.Current(), c.cursor) << c.what;
        EXPECT_EQ(result.Checked, c.checked) << c.what;
        EXPECT_EQ(result.Check, c.check) << c.what;
    }
    DataGrid grid(Items({"A", "B", "A"}));
    grid.Select(1, 3);
    grid.ShowFault(grid.CheckData());
    EXPECT_EQ(grid.Current(), (GridCell{3, 1}));
}

TEST(DataGrid, SortMovesDataRowsWholeAndStartsAtTheTop) {
    DataList list;
    list.Append("1", "c", "z");
    list.Append("2", "a", "y");
    list.Append("3", "b", "x");
    DataGrid grid(list);
    Shadow shadow(grid);
    grid.Select(3, 2);
    grid.Sort(kColUp, 1, ByteCollation());
    EXPECT_EQ(CodesOf(grid), (Codes{"2", "3", "1", ""}));
    EXPECT_EQ(grid.Cell(1, kColDown), "y");
    EXPECT_EQ(grid.Current(), (GridCell{1, 1}));
    grid.Sort(kColDown, -1, ByteCollation());
    EXPECT_EQ(CodesOf(grid), (Codes{"1", "2", "3", ""}));
    shadow.Verify("sort");
    EXPECT_THROW(grid.Sort(0, 1, ByteCollation()), std::out_of_range);

    DataGrid one(Items({"b"}));
    one.Select(2, 1);
    one.Sort(kColCode, 1, ByteCollation());
    EXPECT_EQ(one.Current(), (GridCell{2, 1})); // nothing happened

    DataGrid back(Items({"A", "B"}));
    back.Assign(list);
    EXPECT_EQ(back.ToList(), list);
    EXPECT_EQ(back.RowCount(), 5);
}

} // namespace
} // namespace zarvo::datalist
