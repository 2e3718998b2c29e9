#include "datalist/collation.h"

#include "shared/cp932.h"

#include <utility>

namespace zarvo::datalist {

namespace {

int Sign(int c) {
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// The collator's keys where it has them; under the C locale, where Qt's sort keys keep letter
// case, the case-folded texts compared by code unit.
class CollatedKeys : public SortKeys {
  public:
    CollatedKeys(const QCollator& collator, bool plain, std::vector<std::string> texts)
        : plain_(plain), bytes_(std::move(texts)) {
        if (plain_)
            folded_.reserve(bytes_.size());
        else
            keys_.reserve(bytes_.size());
        for (const std::string& bytes : bytes_) {
            const QString text = shared::Cp932ToQString(bytes);
            if (plain_)
                folded_.push_back(text.toCaseFolded());
            else
                keys_.push_back(collator.sortKey(text));
        }
    }

    int Compare(size_t a, size_t b) const override {
        const int c = plain_ ? folded_[a].compare(folded_[b]) : keys_[a].compare(keys_[b]);
        return c != 0 ? Sign(c) : CompareBytes(bytes_[a], bytes_[b]);
    }

  private:
    bool plain_;
    std::vector<std::string> bytes_;
    std::vector<QString> folded_;
    std::vector<QCollatorSortKey> keys_;
};

} // namespace

LocaleCollation::LocaleCollation(const QLocale& locale)
    : collator_(locale), plain_(locale.language() == QLocale::C) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

std::unique_ptr<SortKeys> LocaleCollation::MakeKeys(std::vector<std::string> texts) const {
    return std::make_unique<CollatedKeys>(collator_, plain_, std::move(texts));
}

int LocaleCollation::Compare(const std::string& a, const std::string& b) const {
    std::vector<std::string> pair{a, b};
    return MakeKeys(std::move(pair))->Compare(0, 1);
}

} // namespace zarvo::datalist
