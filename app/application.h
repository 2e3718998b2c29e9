// The program's application object: the boundary that no error of a handler crosses, and Qt's own
// texts in Japanese.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>

class QTranslator;

namespace zarvo::app {

// A window that shows the errors escaping its handlers (and those of the windows it owns) to the
// user, through its Dialogs.
class ErrorReporter {
  public:
    virtual ~ErrorReporter() = default;
    virtual void ReportError(const QString& text) = 0;
};

// What the user is told about an error that ended a command: the error's own text (UTF-8, or
// CP932 as the settings store's messages are), a plain sentence for a lack of memory.
QString ErrorText(const std::exception_ptr& error);
QString ErrorText(const std::exception& error);

// Reports error through the window that receiver belongs to (or the one it was opened from), else
// through any window that reports errors, else on standard error. Never throws. A second error
// while one is being reported goes to standard error only, so that a failing paint cannot open
// box after box.
void ReportUncaught(QObject* receiver, const std::exception_ptr& error);

class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv);

    // Delivers the event. An exception escaping a handler ends that command only: it is reported
    // (ReportUncaught) and the program goes on, as the desktop's default error report does.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Loads Qt's Japanese translation (qtbase_ja.qm, Debian package qt6-translations-l10n) whatever
// the user's locale: the whole interface is Japanese, Qt's dialogs and buttons included. The
// translator (owned by app), or null when the translation is not installed.
QTranslator* InstallQtTranslation(QCoreApplication& app);

} // namespace zarvo::app
