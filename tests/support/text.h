// Texts for tests, written in UTF-8 in the test source: as the window shows them (U) and as the
// model keeps them (S, CP932). Header-only.
#pragma once

#include "shared/cp932.h"

#include <QString>
#include <string>

namespace zarvo::testsupport {

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

inline std::string S(const char* utf8) {
    return shared::Utf8ToCp932(utf8);
}

} // namespace zarvo::testsupport
