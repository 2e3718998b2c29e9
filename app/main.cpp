// zarvo: the desktop program.
#include "app/frame.h"
#include "app/programdir.h"
#include "component/picture/text.h"
#include "shared/dialogs.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QStandardPaths>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarvo"));
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
