// Prints where the Help command finds "Readme.txt" for a program at the given path, as the
// installed program would look from its own directory; exits 1 when it finds none.
#include "app/programdir.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zarvo_find_help PROGRAM\n");
        return 2;
    }
    const QString dir = QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString help = zarvo::app::HelpFilePath(dir);
    if (help.isEmpty())
        return 1;
    std::printf("%s\n", help.toLocal8Bit().constData());
    return 0;
}
