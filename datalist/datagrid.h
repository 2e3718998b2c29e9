// The data list window's table: the copy of the data list that the window edits, one row per item
// plus the trailing empty row on which a new item is typed, with the current cell and every rule
// of the window's commands. The grid on screen is only its view.
#pragma once

#include "datalist/datalistmodel.h"
#include "datalist/rowsort.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarvo::datalist {

// Grid columns. Column 0 is the fixed column of row numbers; row 0 is the fixed header row.
inline constexpr int32_t kColCode = 1; // symbol string
inline constexpr int32_t kColUp = 2;   // upper comment
inline constexpr int32_t kColDown = 3; // lower comment

struct GridCell {
    int32_t Row = 1;
    int32_t Col = kColCode;
    bool operator==(const GridCell& o) const { return Row == o.Row && Col == o.Col; }
    bool operator!=(const GridCell& o) const { return !(*this == o); }
};

// The outcome of CheckData, a pair of row numbers: (0, 0) no fault; First == Second: that row's
// symbol string is empty; First < Second: the two rows hold the same symbol string.
struct CheckResult {
    int32_t First = 0;
    int32_t Second = 0;
    bool Ok() const { return First == 0 && Second == 0; }
    bool Duplicate() const { return First != Second; }
    bool operator==(const CheckResult& o) const { return First == o.First && Second == o.Second; }
};

// The message for a fault (UTF-8): "5行目と 2行目のデータが重複しています。" (the later row first) or
// "2行目のシンボル文字列が入力されていません。"; "" for no fault.
std::string CheckMessage(const CheckResult& result);

// Where the insert command puts the new row, chosen by the modifier keys held, tested in the order
// Ctrl, Shift, Alt.
enum class InsertVariant {
    EmptyBefore, // none: empty, at the current row
    CopyAfter,   // Ctrl: a copy of the current row, after it; the cursor on the copy
    CopyBefore,  // Shift: a copy of the current row, before it; the cursor on the first of the two
    EmptyAfter,  // Alt: empty, after the current row
};
InsertVariant InsertVariantFor(bool ctrl, bool shift, bool alt);

// Told of every change of the rows, before and after it, so that a view can follow. Rows are grid
// rows (1..RowCount-1).
class GridObserver {
  public:
    virtual ~GridObserver() = default;
    virtual void RowInserting(int32_t row) = 0; // a row is put at row; those from row on move down
    virtual void RowInserted() = 0;
    virtual void RowRemoving(int32_t row) = 0;
    virtual void RowRemoved() = 0;
    virtual void RowMoving(int32_t from, int32_t to) = 0; // afterwards the row stands at to
    virtual void RowMoved() = 0;
    virtual void RowsChanged(int32_t first, int32_t last) = 0; // texts changed, after the change
    virtual void AllChanging() = 0;                            // the whole table is replaced
    virtual void AllChanged() = 0;
};

// Rows 1..RowCount-2 are the data rows (row r holds item r-1); row RowCount-1 is the trailing row,
// which is always empty. The current cell is never in column 0 and never in column 2 or 3 of the
// trailing row. Row or column numbers outside the grid throw std::out_of_range.
class DataGrid {
  public:
    DataGrid();
    // The items of list as data rows; the current cell at (1, 1).
    explicit DataGrid(const DataList& list);

    // Not owned; null for none. Told of changes made after it is set.
    void SetObserver(GridObserver* observer) { observer_ = observer; }

    // Number of items + 2: the header row, the data rows, the trailing row.
    int32_t RowCount() const { return static_cast<int32_t>(rows_.size()) + 1; }
    int32_t ItemCount() const { return RowCount() - 2; }
    int32_t TrailingRow() const { return RowCount() - 1; }
    // The text of a cell: row 1..RowCount-1, col 1..3.
    const std::string& Cell(int32_t row, int32_t col) const;
    // The data rows as a list, in order.
    DataList ToList() const;
    // Replaces every row by the items of list; the current cell goes to (1, 1).
    void Assign(const DataList& list);

    GridCell Current() const { return current_; }
    // Whether the cell may become current (StringGrid1SelectCell): columns 1..3 of a data row,
    // only column 1 of the trailing row.
    bool CanSelect(int32_t row, int32_t col) const;
    // Makes the cell current when it may be; returns whether it is current now.
    bool Select(int32_t row, int32_t col);

    // Text typed into a cell (StringGrid1SetEditText). A non-empty text in the symbol string of the
    // trailing row makes it a data row and appends a new trailing row. Returns false, nothing
    // changed, for a cell that cannot be selected (comments of the trailing row).
    bool SetEditText(int32_t row, int32_t col, std::string text);

    // The check for empty and duplicated symbol strings (column 1 only, byte for byte). The rows
    // are compared as if every data row from the last up to row 2 were compared with every row
    // above it, nearest first, the first fault ending the check: rows X, empty, X report row 2 as
    // empty; rows 2 and 5 equal give (2, 5).
    CheckResult CheckData() const;
    // After a fault found by OK: the cursor to the later or the empty row, column 1.
    void ShowFault(const CheckResult& fault);

    // The Enter key with the cursor at (R, C). nextRow (CheckBox1): the cursor moves to row R+1
    // when R is above the trailing row and that cell may be selected. When C is 1 and R is the
    // last data row or alwaysCheck (CheckBox3), CheckData runs; a duplicate moves the cursor to
    // the later row unless R was one of the two, an empty symbol string to that row. Returns
    // whether the check ran and its result.
    struct EnterResult {
        bool Checked = false;
        CheckResult Check;
    };
    EnterResult EnterKey(bool nextRow, bool alwaysCheck);

    // Deletes the current data row (Button3Click); the cursor stays on the row that took its
    // place, column 1. On the trailing row nothing happens and false is returned.
    bool DeleteRow();
    // Inserts a row as the variant says (Button7MouseDown); the column becomes 1.
    void InsertRow(InsertVariant variant);
    // Moves the texts of row from to row to (both 1..RowCount-1), the rows between shifting one
    // place towards from. The current cell follows its row.
    void MoveRow(int32_t from, int32_t to);
    // Exchanges the texts of rows a and b (1..RowCount-1).
    void ExchangeRows(int32_t a, int32_t b);
    // The move arrows (UpDown1Click): exchanges the current row with the one above or below and
    // follows it. Nothing with fewer than two data rows, on the trailing row, or at an end.
    // Returns whether rows moved.
    bool MoveCurrent(bool up);
    // A row dragged by its number from one place to another (StringGrid1RowMoved). A drag from or
    // onto the trailing row is undone, leaving the table as it was; otherwise as MoveRow.
    void RowDragged(int32_t from, int32_t to);

    // Searches the cells in reading order from the one after the current cell (forward) up to the
    // symbol string of the trailing row, or from the one before it (backward) down to the first
    // cell, for text: equal to the cell when exact or when text is empty, else found in the cell
    // at a character boundary (CP932, case-sensitive). Moves the cursor to the first match;
    // returns whether there was one. No wrap-around.
    bool FindText(const std::string& text, bool forward, bool exact);

    // Sorts the data rows (Button5Click) by column (1..3) in the direction sign (+1, -1), rows
    // moving whole, and puts the cursor on (1, 1). Fewer than two data rows: nothing happens.
    void Sort(int32_t column, int32_t sign, const Collation& collation);

  private:
    using Row = std::array<std::string, 3>;

    Row& At(int32_t row);
    const Row& At(int32_t row) const;
    void CheckRow(int32_t row, const char* operation) const;
    void InsertEmptyRow(int32_t row);
    void Changed(int32_t first, int32_t last);

    std::vector<Row> rows_; // grid row r at rows_[r - 1]; the last is the trailing row
    GridCell current_;
    GridObserver* observer_ = nullptr;
};

// True for a CP932 lead byte (0x81..0x9F, 0xE0..0xFC).
constexpr bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Whether text occurs in cell starting at a character boundary, counting double-byte characters
// by their lead bytes.
bool ContainsAtBoundary(const std::string& cell, const std::string& text);

} // namespace zarvo::datalist
