#include "app/helpfile.h"

#include <QFileInfo>

namespace zarvo::app {

QString HelpFile(const QString& programDir) {
    const QFileInfo guide(programDir + QStringLiteral("/Readme.txt"));
    return guide.isFile() ? guide.absoluteFilePath() : QString();
}

} // namespace zarvo::app
