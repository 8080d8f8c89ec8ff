// One QApplication for every test of the program, with the resource library loaded from the build's
// program folder and the settings kept in a private folder.
#include "shell/ResourceUi.h"
#include "TestSupport.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    static testsupport::TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    if (!ResourceUi::load(QString::fromStdString(testsupport::binDir().string()))) {
        std::fprintf(stderr, "the resource library is missing from %s\n", testsupport::binDir().c_str());
        return 1;
    }
    int status = RUN_ALL_TESTS();
    ResourceUi::unload();
    return status;
}
