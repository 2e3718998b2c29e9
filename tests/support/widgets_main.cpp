// main() of the window tests: the program's application object (whose boundary reports the errors
// of handlers) on the offscreen platform (unless the environment names another), the C locale and
// the project's font substitutions.
#include "app/application.h"
#include "component/picture/text.h"

#include <QLocale>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    zarvo::app::TApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    zarvo::component::InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
