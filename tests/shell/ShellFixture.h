#pragma once
// A fresh application folder for each test (so its own single-instance lock), with the program's final exit
// recorded instead of taken and the splash waits left out.

#include "common/modGlobal.h"
#include "platform/SingleInstance.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "support/AppFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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

// Stores 300 trips and overwrites the file's last page, one of theirs (the schema's pages come first), as a
// failing disk does: most trips can still be read, but a full read of the trip table fails.
inline void DamageTripTable(const AppFolder& folder) {
    folder.exec("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 300) "
                "INSERT INTO tblMain (TripID, Destination, StartDate, Notes) "
                "SELECT 'T-' || x, 'Destination ' || x, '10/18/2007', 'Notes of trip ' || x FROM n");
    QFile file(folder.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray header = file.read(18);
    const qint64 pageSize = (static_cast<unsigned char>(header[16]) << 8) | static_cast<unsigned char>(header[17]);
    ASSERT_GT(pageSize, 0);
    const qint64 pages = file.size() / pageSize;
    ASSERT_GE(pages, 6);
    ASSERT_TRUE(file.seek((pages - 1) * pageSize));
    ASSERT_EQ(file.write(QByteArray(static_cast<int>(pageSize), '\xff')), pageSize);
}
