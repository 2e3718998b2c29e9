// Sorting the data list: whole items exchanged by a partition-exchange sort whose order of equal
// keys is part of the program's behaviour, and the collation that orders the key texts.
#pragma once

#include "datalist/datalistmodel.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zarvo::datalist {

// The keys of the rows of one sort, made once before it starts so that no comparison has to
// decode or fold a text again. Key i belongs to the i-th row of the sorted range as it stood
// before the sort.
class SortKeys {
  public:
    virtual ~SortKeys() = default;
    // Negative, zero or positive as key a orders before, with or after key b. Must be a total
    // preorder (Compare(a, a) == 0 included): the sort relies on it to stay inside its range.
    virtual int Compare(size_t a, size_t b) const = 0;
};

// How key texts (CP932 bytes) are ordered.
class Collation {
  public:
    virtual ~Collation() = default;
    virtual std::unique_ptr<SortKeys> MakeKeys(std::vector<std::string> texts) const = 0;
};

// Byte order, unsigned, a prefix before its extensions.
class ByteCollation : public Collation {
  public:
    std::unique_ptr<SortKeys> MakeKeys(std::vector<std::string> texts) const override;
};

// -1, 0 or +1 for the byte order of a and b.
int CompareBytes(const std::string& a, const std::string& b);

// The partition-exchange sort of rows L..R (indices of rows; nothing to do when L >= R) through
// rows.CompareRows(a, b) (its sign only) and rows.ExchangeRows(a, b). The middle row is the pivot and is
// followed by index while it is exchanged, so which of two equal keys ends first is fixed by this procedure;
// it is not stable, and two rows with equal keys alone are always exchanged.
template <class Rows> void QuickSortRows(Rows& rows, int32_t L, int32_t R) {
    if (L >= R)
        return; // one row would only be exchanged with itself
    for (;;) {
        int32_t I = L, J = R;
        int32_t P = L + (R - L) / 2; // (L + R) div 2 without overflow
        do {
            while (rows.CompareRows(I, P) < 0)
                ++I;
            while (rows.CompareRows(J, P) > 0)
                --J;
            if (I <= J) {
                rows.ExchangeRows(I, J);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        // L..J and I..R share no row, so the order in which they are sorted does not change the
        // outcome; the smaller one is sorted first, by recursion, which keeps the depth logarithmic
        if (J - L < R - I) {
            if (L < J)
                QuickSortRows(rows, L, J);
            if (I >= R)
                return;
            L = I;
        } else {
            if (I < R)
                QuickSortRows(rows, I, R);
            if (L >= J)
                return;
            R = J;
        }
    }
}

// Which list of an item is the key, as the main window keeps it in SortKey.
enum SortKeyColumn : int32_t { skCode = 0, skUp = 1, skDown = 2 };

// The key texts of items first..last of a list; key 0 symbol strings, 1 upper, 2 lower comments.
std::vector<std::string> KeyTexts(const DataList& list, int32_t key, int32_t first, int32_t last);

// Sorts the whole list (the main window's sort) by key (0..2) in the direction sign (+1
// ascending, -1 descending), items moving whole. Fewer than two items: nothing happens.
void SortList(DataList& list, int32_t key, int32_t sign, const Collation& collation);

// The order of rows after the partition-exchange sort of count rows by their keys in the
// direction sign (+1 ascending, -1 descending): entry i is the place, before the sort, of the row
// that goes to place i. The sort runs on this order, not on the rows, so that an exchange moves
// two numbers instead of three texts and a key; the rows are then put in order once.
std::vector<int32_t> SortedOrder(const SortKeys& keys, int32_t count, int32_t sign);

} // namespace zarvo::datalist
