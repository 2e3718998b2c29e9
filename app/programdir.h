// Where the program's files are: the settings and the data list files, and the help text.
#pragma once

#include <QString>

namespace zarvo::app {

// The data directory of an installed program, <prefix>/share/zarvo beside its <prefix>/bin, when
// it exists; empty for a program run from its build tree or copied into a directory of its own.
QString InstalledDataDirectory(const QString& programDir);

// The directory that holds the settings and the data list files. The program's own directory when
// it can be written and the program is not installed; otherwise dataHome + "/zarvo", created when
// missing. Empty when neither can be used.
QString ProgramDirectory(const QString& programDir, const QString& dataHome);

// The help text "Readme.txt" that the Help command opens: beside the program first, then in the
// installed data directory, so that an installation under any prefix finds its own. Empty when
// neither holds it.
QString HelpFilePath(const QString& programDir);

} // namespace zarvo::app
