#pragma once
// A fresh application folder for each test (so its own single-instance lock), with the program's final exit
// recorded instead of taken and the splash waits left out.

#include "platform/SingleInstance.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "shell/modGlobal.h"
#include "support/AppFolder.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        originalDir_ = QDir::currentPath();
        SetFinalExit([this](int code) { exits.append(code); });
        ResetProgramEnded();
        frmSplash::setWaiting(false);
        strFullName.clear();
    }
    void TearDown() override {
        SetFinalExit({});
        ResetProgramEnded();
        SingleInstance::Release();
        frmSplash::setWaiting(true);
        closeAllWindows();
        QDir::setCurrent(originalDir_);
    }
    static void closeAllWindows() {
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->parentWidget())
                windows.append(w);
        }
        for (const QPointer<QWidget>& w : windows)
            delete w.data();
        QApplication::processEvents();
    }

    AppFolder folder;
    QList<int> exits;

private:
    QString originalDir_;
};
