// The order of the sort: the user's locale, letter case ignored, on the decoded CP932 texts.
#pragma once

#include "datalist/rowsort.h"

#include <QCollator>
#include <QLocale>

namespace zarvo::datalist {

// Texts ordered by QCollator for the locale with letter case ignored; texts that collate alike
// (the same text in other letter case, bytes that do not decode) are ordered by their bytes, so
// that the order is total.
class LocaleCollation : public Collation {
  public:
    explicit LocaleCollation(const QLocale& locale = QLocale());
    std::unique_ptr<SortKeys> MakeKeys(std::vector<std::string> texts) const override;
    // The same order for two texts: -1, 0 or +1.
    int Compare(const std::string& a, const std::string& b) const;

  private:
    QCollator collator_;
    bool plain_; // the C locale: Qt's collator compares UTF-16 code units there
};

} // namespace zarvo::datalist
