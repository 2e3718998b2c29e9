// Where the user's guide "Readme.txt" is found.
#pragma once

#include <QString>

namespace zarvo::app {

// The guide in the program's directory (the directory of the executable, programDir); empty when
// there is none.
QString HelpFile(const QString& programDir);

} // namespace zarvo::app
