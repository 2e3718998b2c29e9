// main() of the test programs that paint: a QGuiApplication on the offscreen platform (unless
// the environment names another), the C locale and the project's font substitutions.
#include "component/picture/text.h"

#include <QGuiApplication>
#include <QLocale>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    zarvo::component::InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
