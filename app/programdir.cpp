#include "app/programdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace zarvo::app {

namespace {

const QLatin1String kHelpFileName("Readme.txt");

// The canonical path of a regular file, or empty. The physical path: "bin/.." is resolved by the
// file system, not by the text, so a bin directory reached through a link still finds its prefix.
QString ExistingFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.canonicalFilePath() : QString();
}

} // namespace

QString InstalledDataDirectory(const QString& programDir) {
    if (programDir.isEmpty())
        return QString();
    const QFileInfo info(programDir + QStringLiteral("/../share/zarvo"));
    return info.isDir() ? info.canonicalFilePath() : QString();
}

QString ProgramDirectory(const QString& programDir, const QString& dataHome) {
    // An installed program never writes beside itself, even for root, whom the file modes of /usr
    // do not stop: its directory belongs to the package manager. Otherwise access() asks the
    // kernel, which knows read-only mounts and ACLs as well as the mode bits.
    if (!programDir.isEmpty() && InstalledDataDirectory(programDir).isEmpty() &&
        ::access(QFile::encodeName(programDir).constData(), W_OK) == 0)
        return programDir;
    if (dataHome.isEmpty())
        return QString();
    const QString dir = dataHome + QStringLiteral("/zarvo");
    if (!QDir().mkpath(dir))
        return QString();
    return dir;
}

QString HelpFilePath(const QString& programDir) {
    if (programDir.isEmpty())
        return QString();
    const QString beside = ExistingFile(programDir + QLatin1Char('/') + kHelpFileName);
    if (!beside.isEmpty())
        return beside;
    const QString installed = InstalledDataDirectory(programDir);
    return installed.isEmpty() ? QString() : ExistingFile(installed + QLatin1Char('/') + kHelpFileName);
}

} // namespace zarvo::app
