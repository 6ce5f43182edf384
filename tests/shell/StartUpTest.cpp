// The start-up from the single-instance test to the main window shown, and its ways of ending.
#include "ShellFixture.h"

#include "platform/MousePointer.h"
#include "platform/TripLoader.h"
#include "profile/frmAddOwner.h"
#include "shell/modMain.h"
#include "support/MsgBoxScript.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>

namespace {
const QString kRunning = "Odomark is already running on this computer! ";
} // namespace

using StartUpTest = ShellFixture;

TEST_F(StartUpTest, SecondCopyWhileTheLockIsHeldShowsItsMessageAndEndsBeforeTheDatabase) {
    QLockFile first(SingleInstance::LockPath());
    ASSERT_TRUE(first.tryLock(0));
    // Without a database the start-up would say so; the second copy must stop before that test.
    QFile::remove(folder.databasePath());
    MsgBoxScript script;
    EXPECT_FALSE(StartUp());
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, kRunning);
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_EQ(frmMain::instance(), nullptr);
    EXPECT_EQ(objTrip, nullptr);
}

TEST_F(StartUpTest, AnotherProcessHoldingTheLockRefusesThisCopy) {
    QProcess other;
    other.start("sleep", {"30"});
    ASSERT_TRUE(other.waitForStarted());
    QFile lock(SingleInstance::LockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(other.processId()) + "\nsleep\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    EXPECT_FALSE(SingleInstance::Acquire());
    other.kill();
    other.waitForFinished();
    // The same lock left by a process that is gone (a crash) does not stop the next start.
    EXPECT_TRUE(SingleInstance::Acquire());
    SingleInstance::Release();
    EXPECT_FALSE(QFileInfo::exists(SingleInstance::LockPath()));
}

TEST_F(StartUpTest, MissingDatabaseShowsItsBoxAndEndsWithoutTheMainWindow) {
    QFile::remove(folder.databasePath());
    QDir::setCurrent(QDir::tempPath());
    MsgBoxScript script;
    EXPECT_FALSE(StartUp());
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().title, " ERROR - DATABASE NOT FOUND");
    EXPECT_EQ(script.last().text, "Database Not Found.\r\n\r\nThe database must reside in the folder where it was "
                                  "originally installed.");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_EQ(frmMain::instance(), nullptr);
    // The test moved the current directory there, and shutdown leaves it there.
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
}

TEST_F(StartUpTest, FailureToCreateTheTripObjectIsLoggedReportedAndEndsTheProgram) {
    QFile::remove(folder.path() + "/libwendlo.so");
    MsgBoxScript script;
    EXPECT_FALSE(StartUp());
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "ERROR #91\r\n\r\nObject variable or With block variable not set\r\n"
                                  "In the: ModMain code module\r\nProcedure: SubMain Load Procedure");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_EQ(exits, QList<int>{0}); // no hidden program left running
    ASSERT_NE(frmMain::instance(), nullptr);
    EXPECT_FALSE(frmMain::instance()->isVisible());
    QFile log(folder.errorLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.startsWith("%---------------------------------------------------%\r\n"
                                "           Wendlo - Error Log\r\n"));
    EXPECT_TRUE(text.contains("Error: 91\r\nSubMain Load Procedure\r\n---\r\n"
                              "Object variable or With block variable not set\r\n"));
}

TEST_F(StartUpTest, CheckDatabaseMovesToTheApplicationFolderAndTestsPresenceOnly) {
    QDir::setCurrent(QDir::tempPath());
    EXPECT_TRUE(CheckDatabase());
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(Screen::MousePointer(), vbArrow); // the arrow, not the default
    QFile::remove(folder.databasePath());
    EXPECT_FALSE(CheckDatabase());
    EXPECT_EQ(Screen::MousePointer(), vbArrow);
    Screen::setMousePointer(vbDefault);
}

// The data-dependent start-up: the library reads the profile table.
class StartUpWithLibraryTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        int err = 0;
        // A library that cannot create Trip must fail these tests, not skip them.
        ASSERT_NE(CreateTripObject(folder.path(), &err), nullptr) << "error " << err;
    }
};

TEST_F(StartUpWithLibraryTest, WithAProfileTheNameIsReadAndNoFirstUseWindowOpens) {
    folder.addOwner("Anne", "Smith");
    bool firstUseShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* w = qobject_cast<frmAddOwner*>(QApplication::activeModalWidget())) {
            firstUseShown = true;
            w->cmdExit_Click();
        }
    });
    watch.start(20);
    MsgBoxScript script;
    EXPECT_TRUE(StartUp());
    EXPECT_FALSE(firstUseShown);
    EXPECT_EQ(strFullName, "Anne Smith");
    ASSERT_NE(frmMain::instance(), nullptr);
    EXPECT_TRUE(frmMain::instance()->isVisible());
    EXPECT_EQ(frmMain::instance()->windowTitle(), "Odomark  -  3.0");
    EXPECT_EQ(Screen::MousePointer(), vbDefault);
    EXPECT_TRUE(exits.isEmpty());
    EXPECT_EQ(script.count(), 0);
}

TEST_F(StartUpWithLibraryTest, EmptyProfileTableOpensTheFirstUseWindowAndLeavingItEndsTheProgram) {
    bool firstUseShown = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmAddOwner*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        firstUseShown = true;
        EXPECT_FALSE(frmMain::instance()->isVisible()); // before the splash and the main window
        w->findChild<QPushButton*>("cmdExit")->click();
    });
    MsgBoxScript script;
    EXPECT_FALSE(StartUp());
    EXPECT_TRUE(firstUseShown);
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_EQ(folder.scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 0);
}

TEST_F(StartUpWithLibraryTest, StoringTheFirstProfileGoesOnToTheMainWindow) {
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmAddOwner*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        const QStringList texts = {"Smith", "Anne", "1 Main St", "Springfield", "IL", "62701", ""};
        for (int i = 0; i < texts.size(); ++i)
            w->findChild<QLineEdit*>(QString("txtBox_%1").arg(i))->setText(texts[i]);
        w->findChild<QPushButton*>("cmdSave")->click();
    });
    MsgBoxScript script;
    EXPECT_TRUE(StartUp());
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Profile Information Saved! ");
    EXPECT_EQ(strFullName, "Anne Smith");
    EXPECT_EQ(folder.scalar("SELECT OwnerID FROM tblOwner").toString(), "Smith - 431");
    EXPECT_TRUE(frmMain::instance()->isVisible());
    EXPECT_TRUE(exits.isEmpty());
}
