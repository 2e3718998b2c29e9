#include "app/programdir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ProgramDirectory, TheProgramsOwnDirectoryUnlessItCannotBeWritten) {
    QTemporaryDir home;
    QTemporaryDir program;
    EXPECT_EQ(zarvo::app::ProgramDirectory(program.path(), home.path()), program.path());

    const QString missing = program.path() + QStringLiteral("/missing");
    const QString dir = zarvo::app::ProgramDirectory(missing, home.path());
    EXPECT_EQ(dir, home.path() + QStringLiteral("/zarvo"));
    EXPECT_TRUE(QDir(dir).exists());

    // a data home that is a file cannot hold the directory either
    const QString file = home.path() + QStringLiteral("/file");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EQ(zarvo::app::ProgramDirectory(missing, file), QString());
}

} // namespace
