// zarvo: the desktop program.
#include "app/application.h"
#include "app/frame.h"
#include "app/programdir.h"
#include "app/termination.h"
#include "component/picture/text.h"
#include "shared/dialogs.h"

#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QSessionManager>
#include <QStandardPaths>
#include <cstdio>

int main(int argc, char** argv) {
    zarvo::app::TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarvo"));
    if (!zarvo::app::InstallQtTranslation(app))
        std::fputs("zarvo: Qt's Japanese texts (qtbase_ja.qm) are not installed\n", stderr);
    // The desktop entry and the icon theme name it "zarvo": the desktop matches the window to them
    QGuiApplication::setDesktopFileName(QStringLiteral("zarvo"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zarvo")));
    zarvo::component::InstallFontSubstitutions();

    const QString dir =
        zarvo::app::ProgramDirectory(QCoreApplication::applicationDirPath(),
                                     QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (dir.isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Zarvo"),
                              QString::fromUtf8("設定とデータリストを保存できるディレクトリがありません。"));
        return 1;
    }

    zarvo::shared::QtDialogs dialogs;
    zarvo::app::FrameEnvironment environment;
    environment.ProgramDir = QFile::encodeName(dir).toStdString();
    environment.ExeName = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    environment.dialogs = &dialogs;
    zarvo::app::TFrameForm frame(environment);

    // No box can be answered when the session ends or the program is told to stop: the files are
    // written as the close writes them, and what cannot be written stays as it was on disk.
    const auto log = [](const QStringList& failures) {
        for (const QString& failure : failures)
            std::fprintf(stderr, "zarvo: %s\n", failure.toLocal8Bit().constData());
    };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frame,
                     [&frame, &log](QSessionManager&) { log(frame.SaveWithoutQuestions()); });
    zarvo::app::TerminationWatch termination([&frame, &log] {
        const QStringList failures = frame.CloseWithoutQuestions();
        log(failures);
        // every loop ends, also that of a box or window still open
        QCoreApplication::exit(failures.isEmpty() ? 0 : 1);
    });

    frame.show();
    return QApplication::exec();
}
