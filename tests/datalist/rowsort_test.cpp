#include "datalist/rowsort.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>

namespace zarvo::datalist {
namespace {

// The sort as it is written, recursion and all, over numbers that carry their first place: the
// reference for the order of equal keys.
struct Written {
    std::vector<std::pair<int, int>> rows; // key, first place
    int CompareRows(int32_t a, int32_t b) const {
        const int x = rows[static_cast<size_t>(a)].first, y = rows[static_cast<size_t>(b)].first;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    void ExchangeRows(int32_t a, int32_t b) {
        std::swap(rows[static_cast<size_t>(a)], rows[static_cast<size_t>(b)]);
    }
    void Sort(int32_t L, int32_t R) {
        int32_t I, J, P;
        do {
            I = L;
            J = R;
            P = (L + R) / 2;
            do {
                while (CompareRows(I, P) < 0)
                    ++I;
                while (CompareRows(J, P) > 0)
                    --J;
                if (I <= J) {
                    ExchangeRows(I, J);
                    if (P == I)
                        P = J;
                    else if (P == J)
                        P = I;
                    ++I;
                    --J;
                }
            } while (I <= J);
            if (L < J)
                Sort(L, J);
            L = I;
        } while (I < R);
    }
};

TEST(QuickSortRows, LeavesEqualKeysWhereTheWrittenProcedureLeavesThem) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const int n = 1 + round % 60 + (round % 7 == 0 ? 400 : 0);
        const int distinct = 1 + round % 9; // few distinct keys: many equal ones
        Written written;
        for (int i = 0; i < n; ++i)
            written.rows.emplace_back(static_cast<int>(random() % static_cast<unsigned>(distinct)), i);
        if (round % 5 == 0)
            std::sort(written.rows.begin(), written.rows.end()); // already sorted input
        Written ours = written;
        written.Sort(0, n - 1);
        QuickSortRows(ours, 0, n - 1);
        ASSERT_EQ(ours.rows, written.rows) << "round " << round << ", " << n << " rows";
        ASSERT_TRUE(std::is_sorted(ours.rows.begin(), ours.rows.end(),
                                   [](auto& a, auto& b) { return a.first < b.first; }));
    }
}

TEST(QuickSortRows, ExchangesTwoEqualKeysAndSortsOnlyItsRange) {
    Written two;
    two.rows = {{5, 0}, {5, 1}};
    QuickSortRows(two, 0, 1);
    EXPECT_EQ(two.rows, (std::vector<std::pair<int, int>>{{5, 1}, {5, 0}}));

    Written part;
    part.rows = {{9, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 4}};
    QuickSortRows(part, 1, 3);
    EXPECT_EQ(part.rows, (std::vector<std::pair<int, int>>{{9, 0}, {1, 3}, {2, 2}, {3, 1}, {0, 4}}));
    QuickSortRows(part, 4, 4); // one row: not even exchanged with itself
    QuickSortRows(part, 3, 2);
    EXPECT_EQ(part.rows.back(), (std::pair<int, int>{0, 4}));
}

// ASCII letters without case, then bytes: enough to see the sign and the tie-break at work.
class FoldedCollation : public Collation {
  public:
    std::unique_ptr<SortKeys> MakeKeys(std::vector<std::string> texts) const override {
        for (std::string& t : texts)
            std::transform(t.begin(), t.end(), t.begin(),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
        return ByteCollation().MakeKeys(std::move(texts));
    }
};

DataList Items(const std::vector<std::string>& codes, const std::vector<std::string>& ups = {}) {
    DataList list;
    for (size_t i = 0; i < codes.size(); ++i)
        list.Append(codes[i], i < ups.size() ? ups[i] : codes[i] + "-up", codes[i] + "-dn");
    return list;
}

TEST(SortList, SortsWholeItemsByTheChosenListAndDirection) {
    const FoldedCollation folded;
    const ByteCollation bytes;
    const struct {
        const char* what;
        std::vector<std::string> codes;
        std::vector<std::string> ups;
        int32_t key, sign;
        const Collation& collation;
        std::vector<std::string> sorted;
    } cases[] = {
        // letter case does not separate A and a; the procedure puts a first here
        {"b A a ascending", {"b", "A", "a"}, {}, skCode, 1, folded, {"a", "A", "b"}},
        {"b A a descending", {"b", "A", "a"}, {}, skCode, -1, folded, {"b", "a", "A"}},
        {"bytes: capitals first", {"b", "A", "a"}, {}, skCode, 1, bytes, {"A", "a", "b"}},
        {"bytes above 0x7F after ASCII",
         {"\x83\x41", "z", "\x82\xa0"},
         {},
         skCode,
         1,
         bytes,
         {"z", "\x82\xa0", "\x83\x41"}},
        {"by upper comment", {"1", "2", "3"}, {"c", "a", "b"}, skUp, 1, bytes, {"2", "3", "1"}},
        {"by lower comment, descending", {"1", "3", "2"}, {}, skDown, -1, bytes, {"3", "2", "1"}},
        {"two equal keys are exchanged", {"x", "y"}, {"k", "k"}, skUp, 1, bytes, {"y", "x"}},
        {"one item stays", {"x"}, {}, skCode, -1, bytes, {"x"}},
        {"empty", {}, {}, skCode, 1, bytes, {}},
    };
    for (const auto& c : cases) {
        DataList list = Items(c.codes, c.ups);
        SortList(list, c.key, c.sign, c.collation);
        EXPECT_EQ(list.Codes(), c.sorted) << c.what;
        // comments went along with their symbol strings
        for (int32_t i = 0; i < list.Count(); ++i) {
            EXPECT_EQ(list.Down(i), list.Code(i) + "-dn") << c.what;
            const size_t from = static_cast<size_t>(std::find(c.codes.begin(), c.codes.end(), list.Code(i)) -
                                                    c.codes.begin());
            EXPECT_EQ(list.Up(i), from < c.ups.size() ? c.ups[from] : list.Code(i) + "-up") << c.what;
        }
    }
    DataList list = Items({"a", "b"});
    EXPECT_THROW(SortList(list, 3, 1, bytes), std::invalid_argument);
    EXPECT_EQ(CompareBytes("a", "ab"), -1);
    EXPECT_EQ(CompareBytes("\xff", "a"), 1);
}

} // namespace
} // namespace zarvo::datalist
