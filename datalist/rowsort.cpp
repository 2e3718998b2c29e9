#include "datalist/rowsort.h"

#include <numeric>
#include <stdexcept>
#include <utility>

namespace zarvo::datalist {

namespace {

class ByteKeys : public SortKeys {
  public:
    explicit ByteKeys(std::vector<std::string> texts) : texts_(std::move(texts)) {}
    int Compare(size_t a, size_t b) const override { return CompareBytes(texts_[a], texts_[b]); }

  private:
    std::vector<std::string> texts_;
};

const std::vector<std::string>& KeyList(const DataList& list, int32_t key) {
    switch (key) {
    case skCode:
        return list.Codes();
    case skUp:
        return list.Ups();
    case skDown:
        return list.Downs();
    default:
        throw std::invalid_argument("sort key " + std::to_string(key) + " outside 0..2");
    }
}

// The rows of a sort as QuickSortRows sees them: places in an order whose entries name the rows'
// keys. CompareRows is the keys' comparison as -1, 0 or +1 times the sign.
class OrderRun {
  public:
    OrderRun(const SortKeys& keys, int32_t count, int32_t sign)
        : keys_(keys), sign_(sign), order_(static_cast<size_t>(count)) {
        std::iota(order_.begin(), order_.end(), 0);
    }
    int CompareRows(int32_t a, int32_t b) const {
        const int c = keys_.Compare(Row(a), Row(b));
        return (c < 0 ? -1 : c > 0 ? 1 : 0) * sign_;
    }
    void ExchangeRows(int32_t a, int32_t b) {
        std::swap(order_[static_cast<size_t>(a)], order_[static_cast<size_t>(b)]);
    }
    std::vector<int32_t> TakeOrder() { return std::move(order_); }

  private:
    size_t Row(int32_t place) const { return static_cast<size_t>(order_[static_cast<size_t>(place)]); }

    const SortKeys& keys_;
    int32_t sign_;
    std::vector<int32_t> order_;
};

} // namespace

std::vector<int32_t> SortedOrder(const SortKeys& keys, int32_t count, int32_t sign) {
    OrderRun run(keys, count, sign);
    QuickSortRows(run, 0, count - 1);
    return run.TakeOrder();
}

int CompareBytes(const std::string& a, const std::string& b) {
    const int c = a.compare(b); // char_traits<char>::compare is memcmp: unsigned bytes
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::unique_ptr<SortKeys> ByteCollation::MakeKeys(std::vector<std::string> texts) const {
    return std::make_unique<ByteKeys>(std::move(texts));
}

std::vector<std::string> KeyTexts(const DataList& list, int32_t key, int32_t first, int32_t last) {
    const std::vector<std::string>& texts = KeyList(list, key);
    if (first < 0 || last >= list.Count() || first > last + 1)
        throw std::out_of_range("KeyTexts: items " + std::to_string(first) + ".." + std::to_string(last) +
                                " outside the list");
    return {texts.begin() + first, texts.begin() + last + 1};
}

void SortList(DataList& list, int32_t key, int32_t sign, const Collation& collation) {
    if (list.Count() < 2)
        return;
    const std::unique_ptr<SortKeys> keys = collation.MakeKeys(KeyTexts(list, key, 0, list.Count() - 1));
    list.Reorder(SortedOrder(*keys, list.Count(), sign));
}

} // namespace zarvo::datalist
