// The start-up from the single-instance test to the main window shown, and its ways of ending.
#include "ShellFixture.h"
#include "platform/AppInfo.h"
#include "platform/MousePointer.h"
#include "profile/frmAddOwner.h"
#include "shell/modMain.h"
#include "support/MsgBoxScript.h"
#include "tripdata/TripLoader.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>

#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {
const QString kRunning = "Odomark is already running on this computer! ";
} // namespace

using StartUpTest = ShellFixture;

// Another copy of the program: a separate process that takes the folder's lock with the program's own code
// and holds it until it is killed.
class OtherCopy {
public:
    explicit OtherCopy(const QString& appFolder) {
        process_.start(LOCK_HOLDER, {appFolder});
        if (process_.waitForReadyRead(10000))
            said_ = process_.readLine().trimmed();
    }
    ~OtherCopy() { crash(); }
    bool held() const { return said_ == "Taken"; }
    // What its lock call returned: "Taken", "HeldElsewhere" or "Unavailable".
    const QByteArray& said() const { return said_; }
    // Ends the way a crash does: nothing is cleaned up, the lock file stays behind.
    void crash() {
        process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
    QByteArray said_;
};

TEST_F(StartUpTest, SecondCopyWhileTheLockIsHeldShowsItsMessageAndEndsBeforeTheDatabase) {
    OtherCopy first(folder.path());
    ASSERT_TRUE(first.held());
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

// One copy per application folder, so per database, whatever the copies' environments; the lock goes with
// the process that held it, and the next copy takes it over.
TEST_F(StartUpTest, TheLockBelongsToTheApplicationFolderAndDiesWithItsProcess) {
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toUtf8());
    OtherCopy first(folder.path());
    ASSERT_TRUE(first.held());
    for (const char* runtime : {"", "/nonexistent", "/run"}) {
        qputenv("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(SingleInstance::Acquire(folder.path()), SingleInstance::Lock::HeldElsewhere) << runtime;
    }
    if (hadRuntime)
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    {
        AppFolder other;
        EXPECT_EQ(SingleInstance::Acquire(other.path()), SingleInstance::Lock::Taken);
        SingleInstance::Release();
    }
    App::setPathForTesting(folder.path());

    EXPECT_EQ(OtherCopy(folder.path()).said(), "HeldElsewhere"); // a third copy

    first.crash();
    ASSERT_TRUE(QFileInfo::exists(SingleInstance::LockPath(folder.path())));
    EXPECT_EQ(SingleInstance::Acquire(folder.path()), SingleInstance::Lock::Taken);
    EXPECT_EQ(OtherCopy(folder.path()).said(), "HeldElsewhere"); // this one is first now
    SingleInstance::Release();
    EXPECT_FALSE(QFileInfo::exists(SingleInstance::LockPath(folder.path())));
}

// Whatever a lock file holds, only a live holder of the lock blocks: files left by crashes, by another
// computer or by older versions never do.
TEST_F(StartUpTest, ALockFileThatNoLiveCopyHoldsNeverBlocks) {
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray contents[] = {
        "",
        "12345\nodomark\nanother-computer\n",
        QByteArray::number(QCoreApplication::applicationPid()) + "\nodomark\n" + host + "\n",
        "1\ninit\n" + host + "\n",
        QByteArray("\0\xff garbage", 10),
    };
    const QString path = SingleInstance::LockPath(folder.path());
    for (const QByteArray& content : contents) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        EXPECT_EQ(SingleInstance::Acquire(folder.path()), SingleInstance::Lock::Taken) << content.toHex().data();
        SingleInstance::Release();
    }
}

// A lock that cannot be made is not another copy: the start goes on without the check, promptly.
TEST_F(StartUpTest, ALockThatCannotBeMadeNeverClaimsAnotherCopy) {
    const QString path = SingleInstance::LockPath(folder.path());
    const std::function<bool()> places[] = {
        [&] { return QDir().mkpath(path); },
        [&] { return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0; },
        [&] { return QFile::link(folder.databasePath(), path); },
        [&] { return QDir(folder.path() + "/miles").removeRecursively(); },
    };
    for (const auto& makePlace : places) {
        ASSERT_TRUE(makePlace());
        QString why;
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(SingleInstance::Acquire(folder.path(), &why), SingleInstance::Lock::Unavailable);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_TRUE(why.contains(path)) << why.toStdString();
        QDir().rmdir(path);
        QFile::remove(path);
    }
    // Without the miles folder, the start-up goes on to say that the database is missing, and nothing else.
    MsgBoxScript script;
    EXPECT_FALSE(StartUp());
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().title, " ERROR - DATABASE NOT FOUND");
}

// Only a file is a database: a folder, a named pipe or a dangling link of that name is as good as none.
TEST_F(StartUpTest, MissingDatabaseShowsItsBoxAndEndsWithoutTheMainWindow) {
    const QByteArray database = QFile::encodeName(folder.databasePath());
    const std::function<bool()> inPlace[] = {
        [] { return true; },
        [&] { return ::mkdir(database.constData(), 0755) == 0; },
        [&] { return ::mkfifo(database.constData(), 0644) == 0; },
        [&] { return ::symlink("gone.mil", database.constData()) == 0; },
    };
    // A start-up that goes on opens the first-use window: it is closed and counted instead of waiting.
    int windowsOpened = 0;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++windowsOpened;
            modal->close();
        }
    });
    guard.start(20);
    for (const auto& makePlace : inPlace) {
        QFile::remove(folder.databasePath());
        QDir().rmdir(folder.databasePath());
        ASSERT_TRUE(makePlace());
        QDir::setCurrent(QDir::tempPath());
        exits.clear();
        ResetProgramEnded();
        MsgBoxScript script;
        EXPECT_FALSE(StartUp());
        ASSERT_EQ(script.count(), 1);
        EXPECT_EQ(script.last().title, " ERROR - DATABASE NOT FOUND");
        EXPECT_EQ(script.last().text, "Database Not Found.\r\n\r\nThe database must reside in the folder where it "
                                      "was originally installed.");
        EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
        EXPECT_EQ(exits, QList<int>{0});
        EXPECT_EQ(frmMain::instance(), nullptr);
        // The test moved the current directory there, and shutdown leaves it there.
        EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    }
    EXPECT_EQ(windowsOpened, 0);
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

// A damaged trip file is found at start-up: the user learns what it means and where the backups are, the
// check's result goes to the log, and the program goes on with what can be read.
TEST_F(StartUpWithLibraryTest, ADamagedDatabaseIsReportedAndLoggedAndTheProgramGoesOn) {
    folder.addOwner("Anne", "Smith");
    DamageTripTable(folder);
    MsgBoxScript script;
    EXPECT_TRUE(StartUp());
    ASSERT_EQ(script.count(), 1);
    const QString text = script.last().text;
    EXPECT_TRUE(text.startsWith("The trip file is damaged:\r\n" + QDir::toNativeSeparators(folder.databasePath())))
        << text.toStdString();
    EXPECT_TRUE(text.contains("will not change or repair the file without asking you"));
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(folder.path() + "/miles/backups")));
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_TRUE(frmMain::instance()->isVisible());
    QFile log(folder.errorLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Error: 11\r\nCheckDatabase - Quick Check\r\n---\r\n"));
}

// A profile that cannot be read is not a missing one: no first-use window writing into the file, but a
// message and a log entry, and the program goes on.
TEST_F(StartUpWithLibraryTest, AnUnreadableProfileIsReportedNotAskedForAgain) {
    folder.exec("DROP TABLE tblOwner;");
    bool firstUseShown = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget(); qobject_cast<frmAddOwner*>(w)) {
            firstUseShown = true;
            w->close();
        }
    });
    guard.start(50);
    MsgBoxScript script;
    EXPECT_TRUE(StartUp());
    EXPECT_FALSE(firstUseShown);
    ASSERT_EQ(script.count(), 1);
    EXPECT_TRUE(script.last().text.startsWith("The User Profile could not be read! "))
        << script.last().text.toStdString();
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_TRUE(frmMain::instance()->isVisible());
    QFile log(folder.errorLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("LoadOwner - Profile Check\r\n"));
}

namespace {
// What the history's upgrade must leave alone: both tables' rows and definitions, hashed.
QByteArray tripsAndProfileHash(const AppFolder& folder) {
    QByteArray dump;
    for (const char* sql :
         {"SELECT group_concat(sql, ';') FROM sqlite_master WHERE type = 'table' AND tbl_name IN ('tblMain','tblOwner')",
          "SELECT group_concat(ID||quote(TripID)||quote(Destination)||quote(Rate)||quote(TotalTrip)||quote(StartDate)"
          "||quote(Notes), ';') FROM tblMain",
          "SELECT group_concat(quote(OwnerID)||quote(FullName)||quote(AddDate)||quote(ModDate), ';') FROM tblOwner"})
        dump += folder.scalar(sql).toString().toUtf8() + '\n';
    return QCryptographicHash::hash(dump, QCryptographicHash::Sha256);
}

void dropHistory(const AppFolder& folder) {
    folder.exec("DROP TRIGGER trgTripDeleted; DROP TRIGGER trgTripUpdated; DROP TABLE tblTripHistory;");
}

int historyObjects(const AppFolder& folder) {
    return folder
        .scalar("SELECT COUNT(*) FROM sqlite_master WHERE name IN ('tblTripHistory','trgTripDeleted','trgTripUpdated')")
        .toInt();
}
} // namespace

// A database from before the history gains it at start-up, its trips and profile byte for byte as they were;
// one that cannot be changed starts as before, without history, with one entry in the log.
TEST_F(StartUpWithLibraryTest, AnOlderDatabaseGainsTheHistoryWithItsRowsUntouched) {
    folder.addOwner("Anne", "Smith");
    folder.addTrip("O'Hare", "10/18/2007", 12.5, "line\r\nbreak");
    folder.addTrip("Zürich", "2/29/2008", 1234.56);
    dropHistory(folder);
    const QByteArray before = tripsAndProfileHash(folder);
    MsgBoxScript script;
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(historyObjects(folder), 3);
    EXPECT_EQ(tripsAndProfileHash(folder), before);
    EXPECT_FALSE(QFileInfo::exists(folder.errorLogPath()));
    EXPECT_EQ(script.count(), 0);
}

TEST_F(StartUpWithLibraryTest, ADatabaseThatCannotBeChangedStartsWithoutHistoryAndOneLogEntry) {
    folder.addOwner("Anne", "Smith");
    dropHistory(folder);
    // Another program holds the write lock for the whole start-up: reads work, no change can be made.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(folder.databasePath()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    MsgBoxScript script;
    const bool started = StartUp();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(started);
    EXPECT_EQ(strFullName, "Anne Smith");
    EXPECT_EQ(historyObjects(folder), 0);
    EXPECT_EQ(script.count(), 0);
    QFile log(folder.errorLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("PrepareHistory - DLL Function"), 1);
}
