#include "datalist/rowsort.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace zarvo::datalist {

namespace {

class ByteKeys : public SortKeys {
  public:
    explicit ByteKeys(std::vector<std::string> texts) : texts_(std::move(texts)) {}
    int Compare(size_t a, size_t b) const override { return CompareBytes(texts_[a], texts_[b]); }
    void Exchange(size_t a, size_t b) override { std::swap(texts_[a], texts_[b]); }

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

} // namespace

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
    const int32_t last = list.Count() - 1;
    SortRun run(collation.MakeKeys(KeyTexts(list, key, 0, last)), 0, sign,
                [&list](int32_t a, int32_t b) { list.ExchangeRows(a, b); });
    QuickSortRows(run, 0, last);
}

} // namespace zarvo::datalist
