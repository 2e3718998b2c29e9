// zarvo: the desktop program.
#include "app/application.h"
#include "app/frame.h"
#include "app/programdir.h"
#include "component/picture/text.h"
#include "shared/dialogs.h"

#include <QFile>
#include <QIcon>
#include <QMessageBox>
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
    frame.show();
    return QApplication::exec();
}
