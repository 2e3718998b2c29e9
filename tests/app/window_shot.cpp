// Developer tool: shows the main window at its first-run size over an empty temporary program
// directory (or at the size given) and saves what it looks like as a PNG. Run it under a real X server (Xvfb)
// to see the fonts and widgets a user sees: xvfb-run -a build/tests/app/zarvo_window_shot shot.png
//
//   --version N     enters the symbol version N first
//   --editor TEXT   puts TEXT ("\n" between lines) into the editor as typed and presses QR
//   --menu          opens the popup menu and its rotation submenu on the symbol and saves the
//                   screen, menus included
//   --items         starts on a dozen Japanese items (the data list files written first)
//   --datalist      opens the data list window with "一覧" and saves the screen, both windows
//   --preview       opens the print preview with "印刷" and saves the screen, both windows
#include "app/frame.h"
#include "app/symbolview.h"
#include "component/picture/picture.h"
#include "datalist/datalistfiles.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "tests/support/japanese_items.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

// Clicks button, which opens a modal window, and saves the screen showing frame and that window.
// The window is looked for, and taken, from its own event loop: not from inside its opening,
// which may run events while it draws.
bool ShotOfModal(QWidget& frame, QPushButton* button, const QString& file) {
    bool saved = false;
    std::function<void()> look = [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || !window->isVisible()) {
            QTimer::singleShot(50, look);
            return;
        }
        QTimer::singleShot(800, [&frame, window, &file, &saved] {
            const QRect area = frame.frameGeometry().united(window->frameGeometry());
            saved = QGuiApplication::primaryScreen()
                        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                        .save(file);
            window->close();
        });
    };
    QTimer::singleShot(50, look);
    QTest::mouseClick(button, Qt::LeftButton);
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zarvo::component::InstallFontSubstitutions();
    QStringList sizes;
    QString editorText, version;
    bool menu = false, items = false, datalist = false, preview = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 && i + 1 < argc)
            version = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--editor") == 0 && i + 1 < argc)
            editorText =
                QString::fromLocal8Bit(argv[++i]).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        else if (std::strcmp(argv[i], "--menu") == 0)
            menu = true;
        else if (std::strcmp(argv[i], "--items") == 0)
            items = true;
        else if (std::strcmp(argv[i], "--datalist") == 0)
            datalist = true;
        else if (std::strcmp(argv[i], "--preview") == 0)
            preview = true;
        else
            sizes << QString::fromLocal8Bit(argv[i]);
    }
    if (argc < 2 || (sizes.size() != 0 && sizes.size() != 2)) {
        std::fprintf(
            stderr,
            "usage: zarvo_window_shot OUT.png [WIDTH HEIGHT] [--version N] [--editor TEXT] [--items]\n"
            "                         [--menu | --datalist | --preview]\n");
        return 2;
    }
    QTemporaryDir dir;
    zarvo::shared::QtDialogs dialogs;
    zarvo::app::FrameEnvironment env;
    env.ProgramDir = QFile::encodeName(dir.path()).toStdString();
    env.ExeName = env.ProgramDir + "/zarvo";
    env.dialogs = &dialogs;
    if (items)
        zarvo::datalist::SaveDataListFiles(env.ProgramDir, zarvo::testsupport::JapaneseItems());
    zarvo::app::TFrameForm frame(env);
    frame.show();
    if (sizes.size() == 2)
        frame.resize(sizes[0].toInt(), sizes[1].toInt());
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;
    if (!version.isEmpty()) {
        frame.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&frame));
        QTest::mouseClick(frame.Edit2, Qt::LeftButton);
        QTest::keyClick(frame.windowHandle(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(frame.Edit2, version); // digits only
        QTest::keyClick(frame.windowHandle(), Qt::Key_Return);
    }
    if (!editorText.isEmpty()) {
        frame.Memo1->setFocus(Qt::MouseFocusReason);
        frame.Memo1->setPlainText(editorText); // as the user's own edit
        QTest::mouseClick(frame.Button13, Qt::LeftButton);
    }
    QTest::qWait(300);
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (datalist || preview) {
        frame.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&frame));
        return ShotOfModal(frame, datalist ? frame.Button17 : frame.Button8, out) ? 0 : 1;
    }
    if (!menu)
        return frame.grab().save(out) ? 0 : 1;

    QWidget* symbol = frame.QRCode1View;
    QTest::mouseClick(frame.windowHandle(), Qt::RightButton, {}, symbol->mapTo(&frame, QPoint(20, 20)));
    if (!QTest::qWaitFor([&frame] { return frame.PopupMenu1->isVisible(); }))
        return 1;
    QMenu* rotation = frame.N1->menu();
    QTest::mouseClick(frame.PopupMenu1->windowHandle(), Qt::LeftButton, {},
                      frame.PopupMenu1->actionGeometry(frame.N1).center());
    static_cast<void>(QTest::qWaitFor([rotation] { return rotation->isVisible(); }));
    QTest::qWait(300);
    const QRect area =
        frame.frameGeometry().united(frame.PopupMenu1->geometry()).united(rotation->geometry());
    return QGuiApplication::primaryScreen()
                   ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                   .save(QString::fromLocal8Bit(argv[1]))
               ? 0
               : 1;
}
