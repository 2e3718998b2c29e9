#include "datalist/datalistmodel.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace zarvo::datalist {

namespace {

constexpr size_t kMaxItems = static_cast<size_t>(std::numeric_limits<int32_t>::max());

} // namespace

void CheckPermutation(const std::vector<int32_t>& order, size_t count, const char* operation) {
    std::vector<bool> seen(count, false);
    bool whole = order.size() == count;
    for (size_t i = 0; whole && i < order.size(); ++i) {
        const int32_t from = order[i];
        whole = from >= 0 && static_cast<size_t>(from) < count && !seen[static_cast<size_t>(from)];
        if (whole)
            seen[static_cast<size_t>(from)] = true;
    }
    if (!whole)
        throw std::invalid_argument(std::string(operation) + ": the order is not one of the " +
                                    std::to_string(count) + " items each");
}

size_t DataList::CheckedIndex(int32_t i, const char* operation) const {
    if (i < 0 || i >= Count())
        throw std::out_of_range(std::string("DataList::") + operation + ": index " + std::to_string(i) +
                                " outside 0.." + std::to_string(Count() - 1));
    return static_cast<size_t>(i);
}

const std::string& DataList::Code(int32_t i) const {
    return codes_[CheckedIndex(i, "Code")];
}

const std::string& DataList::Up(int32_t i) const {
    return ups_[CheckedIndex(i, "Up")];
}

const std::string& DataList::Down(int32_t i) const {
    return downs_[CheckedIndex(i, "Down")];
}

int32_t DataList::Find(const std::string& code) const {
    for (size_t i = 0; i < codes_.size(); ++i) {
        if (codes_[i] == code)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void DataList::Append(std::string code, std::string up, std::string down) {
    Insert(Count(), std::move(code), std::move(up), std::move(down));
}

void DataList::Insert(int32_t index, std::string code, std::string up, std::string down) {
    if (index < 0 || index > Count())
        throw std::out_of_range("DataList::Insert: index " + std::to_string(index) + " outside 0.." +
                                std::to_string(Count()));
    if (codes_.size() >= kMaxItems)
        throw std::length_error("DataList::Insert: the list is full");
    // Room in all three first, so that no insert below can fail and leave the lists uneven;
    // growing by doubling keeps appending a long list linear
    for (std::vector<std::string>* list : {&codes_, &ups_, &downs_})
        if (list->size() == list->capacity())
            list->reserve(std::max<size_t>(16, 2 * list->size()));
    const auto at = static_cast<std::ptrdiff_t>(index);
    codes_.insert(codes_.begin() + at, std::move(code));
    ups_.insert(ups_.begin() + at, std::move(up));
    downs_.insert(downs_.begin() + at, std::move(down));
}

void DataList::Delete(int32_t index) {
    const auto at = static_cast<std::ptrdiff_t>(CheckedIndex(index, "Delete"));
    codes_.erase(codes_.begin() + at);
    ups_.erase(ups_.begin() + at);
    downs_.erase(downs_.begin() + at);
}

void DataList::ExchangeRows(int32_t a, int32_t b) {
    const size_t i = CheckedIndex(a, "ExchangeRows");
    const size_t j = CheckedIndex(b, "ExchangeRows");
    std::swap(codes_[i], codes_[j]);
    std::swap(ups_[i], ups_[j]);
    std::swap(downs_[i], downs_[j]);
}

void DataList::Reorder(const std::vector<int32_t>& order) {
    CheckPermutation(order, codes_.size(), "DataList::Reorder");
    for (std::vector<std::string>* list : {&codes_, &ups_, &downs_}) {
        std::vector<std::string> reordered;
        reordered.reserve(list->size());
        for (const int32_t from : order)
            reordered.push_back(std::move((*list)[static_cast<size_t>(from)]));
        *list = std::move(reordered);
    }
}

void DataList::SetComments(int32_t index, std::string up, std::string down) {
    const size_t i = CheckedIndex(index, "SetComments");
    ups_[i] = std::move(up);
    downs_[i] = std::move(down);
}

int32_t DataList::InsertPosition(int32_t current) const {
    // current + 1 without overflow for current == INT32_MAX
    return current < 0 ? 0 : std::min(current, Count() - 1) + 1;
}

DataList::Placement DataList::SelectOrInsert(int32_t current, std::string code, std::string up,
                                             std::string down) {
    const int32_t found = Find(code);
    if (found >= 0)
        return {found, false};
    const int32_t at = InsertPosition(current);
    Insert(at, std::move(code), std::move(up), std::move(down));
    return {at, true};
}

int32_t DataList::DeleteItem(int32_t index) {
    Delete(index);
    if (Count() == 0)
        return -1;
    return index < Count() ? index : index - 1;
}

int32_t DataList::MoveItem(int32_t index, bool up) {
    CheckedIndex(index, "MoveItem");
    const int32_t other = up ? index - 1 : index + 1;
    if (other < 0 || other >= Count())
        return index;
    ExchangeRows(std::min(index, other), std::max(index, other));
    return other;
}

int32_t DataList::ReturnIndex(int32_t returned) const {
    if (Count() == 0)
        return -1;
    return std::clamp(returned, 0, Count() - 1);
}

void DataList::Assign(std::vector<std::string> codes, std::vector<std::string> ups,
                      std::vector<std::string> downs) {
    if (codes.size() != ups.size() || codes.size() != downs.size())
        throw std::invalid_argument("DataList::Assign: " + std::to_string(codes.size()) +
                                    " symbol strings, " + std::to_string(ups.size()) + " upper and " +
                                    std::to_string(downs.size()) + " lower comments");
    if (codes.size() > kMaxItems)
        throw std::length_error("DataList::Assign: too many items");
    codes_ = std::move(codes);
    ups_ = std::move(ups);
    downs_ = std::move(downs);
}

void DataList::Clear() {
    codes_.clear();
    ups_.clear();
    downs_.clear();
}

bool DataList::operator==(const DataList& other) const {
    return codes_ == other.codes_ && ups_ == other.ups_ && downs_ == other.downs_;
}

} // namespace zarvo::datalist
