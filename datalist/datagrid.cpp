#include "datalist/datagrid.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace zarvo::datalist {

std::string CheckMessage(const CheckResult& result) {
    if (result.Ok())
        return {};
    if (result.Duplicate())
        return std::to_string(result.Second) + "行目と " + std::to_string(result.First) +
               "行目のデータが重複しています。";
    return std::to_string(result.First) + "行目のシンボル文字列が入力されていません。";
}

InsertVariant InsertVariantFor(bool ctrl, bool shift, bool alt) {
    if (ctrl)
        return InsertVariant::CopyAfter;
    if (shift)
        return InsertVariant::CopyBefore;
    if (alt)
        return InsertVariant::EmptyAfter;
    return InsertVariant::EmptyBefore;
}

bool ContainsAtBoundary(const std::string& cell, const std::string& text) {
    size_t boundary = 0; // the first character boundary not before the occurrence looked at
    for (size_t at = cell.find(text); at != std::string::npos; at = cell.find(text, at + 1)) {
        while (boundary < at)
            boundary += IsCp932LeadByte(static_cast<unsigned char>(cell[boundary])) ? 2u : 1u;
        if (boundary == at)
            return true;
        // the occurrence starts on the second byte of a double-byte character
    }
    return false;
}

DataGrid::DataGrid() : rows_(1) {}

DataGrid::DataGrid(const DataList& list) {
    Assign(list);
}

void DataGrid::Assign(const DataList& list) {
    if (observer_)
        observer_->AllChanging();
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(list.Count()) + 1);
    for (int32_t i = 0; i < list.Count(); ++i)
        rows.push_back(Row{list.Code(i), list.Up(i), list.Down(i)});
    rows.emplace_back(); // the trailing row
    rows_ = std::move(rows);
    current_ = GridCell{};
    if (observer_)
        observer_->AllChanged();
}

void DataGrid::CheckRow(int32_t row, const char* operation) const {
    if (row < 1 || row > TrailingRow())
        throw std::out_of_range(std::string("DataGrid::") + operation + ": row " + std::to_string(row) +
                                " outside 1.." + std::to_string(TrailingRow()));
}

DataGrid::Row& DataGrid::At(int32_t row) {
    return rows_[static_cast<size_t>(row - 1)];
}

const DataGrid::Row& DataGrid::At(int32_t row) const {
    return rows_[static_cast<size_t>(row - 1)];
}

const std::string& DataGrid::Cell(int32_t row, int32_t col) const {
    CheckRow(row, "Cell");
    if (col < kColCode || col > kColDown)
        throw std::out_of_range("DataGrid::Cell: column " + std::to_string(col) + " outside 1..3");
    return At(row)[static_cast<size_t>(col - 1)];
}

DataList DataGrid::ToList() const {
    std::vector<std::string> codes, ups, downs;
    const size_t items = rows_.size() - 1;
    codes.reserve(items);
    ups.reserve(items);
    downs.reserve(items);
    for (size_t i = 0; i < items; ++i) {
        codes.push_back(rows_[i][0]);
        ups.push_back(rows_[i][1]);
        downs.push_back(rows_[i][2]);
    }
    DataList list;
    list.Assign(std::move(codes), std::move(ups), std::move(downs));
    return list;
}

void DataGrid::Changed(int32_t first, int32_t last) {
    if (observer_ && first <= last)
        observer_->RowsChanged(first, last);
}

void DataGrid::InsertEmptyRow(int32_t row) {
    // row may be RowCount: a row after the trailing one, which then becomes a data row
    if (row < 1 || row > RowCount())
        throw std::out_of_range("DataGrid: a row cannot be inserted at " + std::to_string(row));
    if (observer_)
        observer_->RowInserting(row);
    rows_.insert(rows_.begin() + (row - 1), Row{});
    if (observer_)
        observer_->RowInserted();
}

bool DataGrid::CanSelect(int32_t row, int32_t col) const {
    if (row < 1 || row > TrailingRow() || col < kColCode || col > kColDown)
        return false;
    return row < TrailingRow() || col == kColCode;
}

bool DataGrid::Select(int32_t row, int32_t col) {
    if (!CanSelect(row, col))
        return false;
    current_ = {row, col};
    return true;
}

bool DataGrid::SetEditText(int32_t row, int32_t col, std::string text) {
    if (!CanSelect(row, col))
        return false;
    const bool grows = row == TrailingRow() && !text.empty();
    At(row)[static_cast<size_t>(col - 1)] = std::move(text);
    Changed(row, row);
    if (grows)
        InsertEmptyRow(RowCount());
    return true;
}

CheckResult DataGrid::CheckData() const {
    const int32_t last = RowCount() - 2; // the last data row
    if (last <= 0)
        return {};
    if (last == 1)
        return At(1)[0].empty() ? CheckResult{1, 1} : CheckResult{};

    // Each later row L (from the last up to 2) is compared with the rows above it, nearest first:
    // the first of them that is empty or equal to L is the fault. So for each row, the nearest
    // empty row and the nearest equal row above it decide, found in one pass instead of comparing
    // every pair.
    std::vector<int32_t> emptyAbove(static_cast<size_t>(last) + 1, 0);
    std::vector<int32_t> equalAbove(static_cast<size_t>(last) + 1, 0);
    std::unordered_map<std::string_view, int32_t> lastSeen;
    lastSeen.reserve(static_cast<size_t>(last));
    int32_t nearestEmpty = 0;
    for (int32_t r = 1; r <= last; ++r) {
        const std::string& code = At(r)[0];
        emptyAbove[static_cast<size_t>(r)] = nearestEmpty;
        if (code.empty()) {
            nearestEmpty = r;
            continue;
        }
        int32_t& seen = lastSeen[std::string_view(code)];
        equalAbove[static_cast<size_t>(r)] = seen;
        seen = r;
    }
    for (int32_t L = last; L >= 2; --L) {
        if (At(L)[0].empty())
            return {L, L};
        const int32_t E = std::max(emptyAbove[static_cast<size_t>(L)], equalAbove[static_cast<size_t>(L)]);
        if (E > 0)
            return At(E)[0].empty() ? CheckResult{E, E} : CheckResult{E, L};
    }
    return {};
}

void DataGrid::ShowFault(const CheckResult& fault) {
    if (fault.Ok())
        return;
    Select(fault.Second, kColCode);
}

DataGrid::EnterResult DataGrid::EnterKey(bool nextRow, bool alwaysCheck) {
    const GridCell at = current_;
    if (nextRow && at.Row < TrailingRow())
        Select(at.Row + 1, at.Col);
    EnterResult result;
    if (at.Col == kColCode && (at.Row == RowCount() - 2 || alwaysCheck)) {
        result.Checked = true;
        result.Check = CheckData();
        const CheckResult& c = result.Check;
        if (!c.Ok()) {
            if (!c.Duplicate())
                Select(c.First, current_.Col);
            else if (at.Row != c.First && at.Row != c.Second)
                Select(c.Second, current_.Col);
        }
    }
    return result;
}

bool DataGrid::DeleteRow() {
    const int32_t row = current_.Row;
    if (row >= TrailingRow())
        return false;
    if (observer_)
        observer_->RowRemoving(row);
    rows_.erase(rows_.begin() + (row - 1));
    if (observer_)
        observer_->RowRemoved();
    current_ = {row, kColCode};
    return true;
}

void DataGrid::InsertRow(InsertVariant variant) {
    const int32_t R = current_.Row;
    const bool after = variant == InsertVariant::CopyAfter || variant == InsertVariant::EmptyAfter;
    InsertEmptyRow(after ? R + 1 : R);
    if (variant == InsertVariant::CopyAfter) {
        At(R + 1) = At(R);
        Changed(R + 1, R + 1);
    } else if (variant == InsertVariant::CopyBefore) {
        At(R) = At(R + 1);
        Changed(R, R);
    }
    current_ = {after ? R + 1 : R, kColCode};
}

void DataGrid::MoveRow(int32_t from, int32_t to) {
    CheckRow(from, "MoveRow");
    CheckRow(to, "MoveRow");
    if (from == TrailingRow() || to == TrailingRow())
        throw std::out_of_range("DataGrid::MoveRow: the trailing row stays last");
    if (from == to)
        return;
    if (observer_)
        observer_->RowMoving(from, to);
    const auto f = rows_.begin() + (from - 1);
    const auto t = rows_.begin() + (to - 1);
    if (from < to)
        std::rotate(f, f + 1, t + 1);
    else
        std::rotate(t, f, f + 1);
    int32_t& cur = current_.Row;
    if (cur == from)
        cur = to;
    else if (from < to && cur > from && cur <= to)
        --cur;
    else if (to < from && cur >= to && cur < from)
        ++cur;
    if (observer_)
        observer_->RowMoved();
}

void DataGrid::ExchangeRows(int32_t a, int32_t b) {
    CheckRow(a, "ExchangeRows");
    CheckRow(b, "ExchangeRows");
    std::swap(At(a), At(b));
    Changed(a, a);
    Changed(b, b);
}

bool DataGrid::MoveCurrent(bool up) {
    if (RowCount() < 4)
        return false;
    const int32_t R = current_.Row;
    if (up && R >= 2 && R < TrailingRow()) {
        ExchangeRows(R - 1, R);
        current_.Row = R - 1;
        return true;
    }
    if (!up && R < RowCount() - 2) {
        ExchangeRows(R, R + 1);
        current_.Row = R + 1;
        return true;
    }
    return false;
}

void DataGrid::RowDragged(int32_t from, int32_t to) {
    CheckRow(from, "RowDragged");
    CheckRow(to, "RowDragged");
    if (from == TrailingRow() || to == TrailingRow())
        return; // the grid's move is taken back at once: the trailing row stays last
    MoveRow(from, to);
}

bool DataGrid::FindText(const std::string& text, bool forward, bool exact) {
    exact = exact || text.empty();
    const auto matches = [&](const std::string& cell) {
        return exact ? cell == text : ContainsAtBoundary(cell, text);
    };
    // cells in reading order, k = (row - 1) * 3 + (column - 1)
    const int64_t start = int64_t{current_.Row - 1} * 3 + (current_.Col - 1);
    const int64_t end = int64_t{RowCount() - 2} * 3; // the symbol string of the trailing row
    const int64_t step = forward ? 1 : -1;
    for (int64_t k = start + step; forward ? k <= end : k >= 0; k += step) {
        const Row& row = rows_[static_cast<size_t>(k / 3)];
        if (matches(row[static_cast<size_t>(k % 3)])) {
            current_ = {static_cast<int32_t>(k / 3) + 1, static_cast<int32_t>(k % 3) + 1};
            return true;
        }
    }
    return false;
}

void DataGrid::Sort(int32_t column, int32_t sign, const Collation& collation) {
    if (column < kColCode || column > kColDown)
        throw std::out_of_range("DataGrid::Sort: column " + std::to_string(column) + " outside 1..3");
    const int32_t last = RowCount() - 2;
    if (last < 2)
        return;
    const auto c = static_cast<size_t>(column - 1);
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(last));
    for (int32_t r = 1; r <= last; ++r)
        keys.push_back(At(r)[c]);
    const std::vector<int32_t> order = SortedOrder(*collation.MakeKeys(std::move(keys)), last, sign);
    std::vector<Row> sorted;
    sorted.reserve(order.size());
    for (const int32_t from : order)
        sorted.push_back(std::move(rows_[static_cast<size_t>(from)]));
    std::move(sorted.begin(), sorted.end(), rows_.begin());
    Changed(1, last); // the rows stay where they are; their texts changed
    current_ = GridCell{};
}

} // namespace zarvo::datalist
