// Runs another program to its end from a test, as the tests that hand files to other readers
// (LibreOffice, pdftotext) do.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace zarvo::testsupport {

// The program's standard output. Fails the test when it cannot start, takes longer than three
// minutes or ends with an error. home: its HOME (LibreOffice writes its profile there).
inline QString RunProgram(const QString& program, const QStringList& arguments, const QString& home) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << program.toStdString() << " does not start: " << process.errorString().toStdString();
        return QString();
    }
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not finish in 3 minutes";
        return QString();
    }
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": "
                                     << QString::fromUtf8(process.readAllStandardError()).toStdString();
    return output;
}

} // namespace zarvo::testsupport
