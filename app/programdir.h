// The directory that holds the settings and the data list files.
#pragma once

#include <QString>

namespace zarvo::app {

// The program's own directory when it can be written; otherwise (an installed program under
// /usr) dataHome + "/zarvo", created when missing. Empty when neither can be used.
QString ProgramDirectory(const QString& programDir, const QString& dataHome);

} // namespace zarvo::app
