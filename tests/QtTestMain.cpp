// Test main for everything that draws or builds widgets: an offscreen
// application with the program's font substitutes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "framework/Interface.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Recovery copies of this run's windows stay in a folder of its own.
    QTemporaryDir state;
    setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    vinta::UseJapaneseInterface();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
