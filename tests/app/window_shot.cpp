// Developer tool: shows the main window at its first-run size over an empty temporary program
// directory (or at the size given) and saves what it looks like as a PNG. Run it under a real X server (Xvfb)
// to see the fonts and widgets a user sees: xvfb-run -a build/tests/app/zarvo_window_shot shot.png
#include "app/frame.h"
#include "component/picture/picture.h"
#include "shared/dialogs.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zarvo::component::InstallFontSubstitutions();
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: zarvo_window_shot OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    QTemporaryDir dir;
    zarvo::shared::QtDialogs dialogs;
    zarvo::app::FrameEnvironment env;
    env.ProgramDir = QFile::encodeName(dir.path()).toStdString();
    env.ExeName = env.ProgramDir + "/zarvo";
    env.dialogs = &dialogs;
    zarvo::app::TFrameForm frame(env);
    frame.show();
    if (argc == 4)
        frame.resize(std::atoi(argv[2]), std::atoi(argv[3]));
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;
    QTest::qWait(300);
    return frame.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
