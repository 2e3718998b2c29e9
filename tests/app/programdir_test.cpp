// Where the settings, the data list files and the help text are, for a program run from its build
// tree, copied into a directory of its own, or installed under a prefix.
#include "app/programdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Makes the named entries under root: "dir/" a directory, "a -> b" a link, anything else a file.
void Make(const QString& root, const std::vector<const char*>& entries) {
    for (const char* entry : entries) {
        const QString e = QString::fromUtf8(entry);
        const qsizetype arrow = e.indexOf(QStringLiteral(" -> "));
        if (arrow >= 0) {
            const QString link = root + QLatin1Char('/') + e.left(arrow);
            QDir().mkpath(QFileInfo(link).path());
            ASSERT_TRUE(QFile::link(root + QLatin1Char('/') + e.mid(arrow + 4), link)) << entry;
        } else if (e.endsWith(QLatin1Char('/'))) {
            ASSERT_TRUE(QDir().mkpath(root + QLatin1Char('/') + e)) << entry;
        } else {
            const QString file = root + QLatin1Char('/') + e;
            QDir().mkpath(QFileInfo(file).path());
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << entry;
        }
    }
}

// The path relative to root, "" for an empty one, so that a table row reads plainly.
std::string Relative(const QString& root, const QString& path) {
    return path.isEmpty() ? std::string()
                          : QDir(QFileInfo(root).canonicalFilePath()).relativeFilePath(path).toStdString();
}

struct DirCase {
    const char* name;
    std::vector<const char*> entries;
    const char* programDir;
    const char* expected; // relative to the root; "home/zarvo" is the per-user directory
};

TEST(ProgramDirectory, OwnDirectoryOnlyWhenWritableAndNotInstalled) {
    const std::vector<DirCase> cases = {
        {"build tree", {"build/app/zarvo"}, "build/app", "build/app"},
        {"copied program", {"portable/zarvo", "portable/Readme.txt"}, "portable", "portable"},
        {"missing directory", {}, "missing", "home/zarvo"},
        // root may write /usr/bin; the layout alone keeps an installed program out of it
        {"installed, writable", {"usr/bin/zarvo", "usr/share/zarvo/Readme.txt"}, "usr/bin", "home/zarvo"},
        {"installed, no help text yet", {"opt/bin/zarvo", "opt/share/zarvo/"}, "opt/bin", "home/zarvo"},
        {"share/zarvo is a file", {"odd/bin/zarvo", "odd/share/zarvo"}, "odd/bin", "odd/bin"},
    };
    for (const DirCase& c : cases) {
        QTemporaryDir root;
        Make(root.path(), c.entries);
        const QString home = root.path() + QStringLiteral("/home");
        const QString dir = zarvo::app::ProgramDirectory(
            root.path() + QLatin1Char('/') + QString::fromUtf8(c.programDir), home);
        EXPECT_EQ(Relative(root.path(), dir), c.expected) << c.name;
        EXPECT_TRUE(QFileInfo(dir).isDir()) << c.name;
    }
}

TEST(ProgramDirectory, NothingWhenTheDataHomeCannotHoldIt) {
    QTemporaryDir root;
    Make(root.path(), {"usr/bin/zarvo", "usr/share/zarvo/", "home"});
    const QString file = root.path() + QStringLiteral("/home");
    EXPECT_EQ(zarvo::app::ProgramDirectory(root.path() + QStringLiteral("/missing"), file), QString());
    EXPECT_EQ(zarvo::app::ProgramDirectory(root.path() + QStringLiteral("/usr/bin"), file), QString());
    EXPECT_EQ(zarvo::app::ProgramDirectory(root.path() + QStringLiteral("/usr/bin"), QString()), QString());
}

TEST(HelpFilePath, BesideTheProgramFirstThenTheInstalledDataDirectory) {
    const std::vector<DirCase> cases = {
        {"build tree", {"build/app/zarvo", "build/app/Readme.txt"}, "build/app", "build/app/Readme.txt"},
        {"installed",
         {"usr/bin/zarvo", "usr/share/zarvo/Readme.txt"},
         "usr/bin",
         "usr/share/zarvo/Readme.txt"},
        {"both: the program's directory wins",
         {"p/bin/zarvo", "p/bin/Readme.txt", "p/share/zarvo/Readme.txt"},
         "p/bin",
         "p/bin/Readme.txt"},
        {"neither", {"usr/bin/zarvo", "usr/share/zarvo/"}, "usr/bin", ""},
        {"directories of that name", {"d/bin/Readme.txt/", "d/share/zarvo/Readme.txt/"}, "d/bin", ""},
        {"another program's share", {"usr/bin/zarvo", "usr/share/Readme.txt"}, "usr/bin", ""},
        // "link/.." is the directory above the link's target, as for the kernel
        {"bin reached through a link",
         {"real/bin/zarvo", "real/share/zarvo/Readme.txt", "alias/bin -> real/bin"},
         "alias/bin",
         "real/share/zarvo/Readme.txt"},
        {"no directory", {}, "", ""},
    };
    for (const DirCase& c : cases) {
        QTemporaryDir root;
        Make(root.path(), c.entries);
        const QString programDir = *c.programDir == '\0'
                                       ? QString()
                                       : root.path() + QLatin1Char('/') + QString::fromUtf8(c.programDir);
        EXPECT_EQ(Relative(root.path(), zarvo::app::HelpFilePath(programDir)), c.expected) << c.name;
    }
}

} // namespace
