// The day's backup at start-up: taken once the database is found, and a failing one only logged.
#include "ShellFixture.h"
#include "platform/ProgramLog.h"
#include "shell/modMain.h"
#include "support/MsgBoxScript.h"
#include "tripdata/DailyBackup.h"
#include "tripdata/DatabaseCopy.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFile>

namespace {
QByteArray sha256(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}
QByteArray contents(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

using BackupTest = ShellFixture;

TEST_F(BackupTest, StartUpTakesTheDaysBackupOfTheFoundDatabase) {
    folder.addOwner("Anne", "Smith");
    folder.addTrip("Springfield");
    MsgBoxScript script;
    ASSERT_TRUE(StartUp());
    const QString backup =
        folder.path() + QDate::currentDate().toString(QStringLiteral("'/miles/backups/miles-'yyyy-MM-dd'.mil'"));
    ASSERT_TRUE(QFile::exists(backup));
    EXPECT_EQ(dbcopy::CountRows(QFile::encodeName(backup).toStdString()), 2) << "the trip and the profile";
    EXPECT_FALSE(QFile::exists(folder.errorLogPath()));
    EXPECT_EQ(script.count(), 0);
}

// A failed backup stops nothing: it is logged, and the user is told once a day, over the main window.
TEST_F(BackupTest, AFailingBackupIsLoggedToldOnceADayAndTheProgramStartsWithTheDatabaseUnchanged) {
    folder.addOwner("Anne", "Smith");
    folder.addTrip("Springfield");
    // A file where the backups folder belongs: no folder can be made there, whoever runs the test.
    QFile blocker(folder.path() + "/miles/backups");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppendProgramErrorLog(5, "another failure today", "Another Procedure");
    const QByteArray before = sha256(folder.databasePath());
    MsgBoxScript script;
    ASSERT_TRUE(StartUp());
    ASSERT_NE(frmMain::instance(), nullptr);
    EXPECT_TRUE(frmMain::instance()->isVisible());
    ASSERT_EQ(script.count(), 1);
    EXPECT_TRUE(script.last().text.startsWith("Today's backup of the trips could not be made:\r\ncannot create "))
        << script.last().text.toStdString();
    EXPECT_TRUE(script.last().text.endsWith(folder.errorLogPath())) << script.last().text.toStdString();
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_EQ(sha256(folder.databasePath()), before);
    const QByteArray log = contents(folder.errorLogPath());
    EXPECT_TRUE(log.contains("Error: 75\r\nDaily Backup Procedure\r\n---\r\nThe daily backup failed: ")) << log.data();
    EXPECT_TRUE(log.contains("miles/backups")) << log.data();
    // Later the same day it fails and is logged again, without a word; the next day's start tells again.
    EXPECT_EQ(BackupDatabase().notice, QString());
    EXPECT_EQ(contents(folder.errorLogPath()).count("Daily Backup Procedure"), 2);
    const DailyBackupResult tomorrow = BackupDatabase(QDate::currentDate().addDays(1));
    EXPECT_FALSE(tomorrow.taken);
    EXPECT_FALSE(tomorrow.notice.isEmpty());
    EXPECT_EQ(sha256(folder.databasePath()), before);
}
