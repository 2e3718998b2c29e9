#include "app/programdir.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace zarvo::app {

QString ProgramDirectory(const QString& programDir, const QString& dataHome) {
    // access() asks the kernel, which knows read-only mounts and ACLs as well as the mode bits
    if (!programDir.isEmpty() && ::access(QFile::encodeName(programDir).constData(), W_OK) == 0)
        return programDir;
    if (dataHome.isEmpty())
        return QString();
    const QString dir = dataHome + QStringLiteral("/zarvo");
    if (!QDir().mkpath(dir))
        return QString();
    return dir;
}

} // namespace zarvo::app
