// Test entry point for the GUI tests: one QApplication for the whole run, offscreen.
#include "platform/Look.h"
#include "support/MsgBoxScript.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InstallLayoutFonts(); // as the program does
    InstallReadableFrames();
    InstallUnscriptedFailure();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
