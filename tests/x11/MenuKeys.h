#pragma once
// Runs a menu command as a user does: the menu by its access key, the arrow keys to the item, Enter.

#include "shell/frmMain.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

inline void chooseFromMenu(frmMain& w, Qt::Key accessKey, int downPresses) {
    QTest::keyClick(&w, accessKey, Qt::AltModifier);
    QMenu* menu = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }, 3000));
    for (int i = 0; i < downPresses; ++i)
        QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
}
