// The printing windows' own texts: written in the sources as UTF-8.
#pragma once

#include <QString>

namespace zarvo::printing {

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace zarvo::printing
