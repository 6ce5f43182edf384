// The program's error-log entry and the start-up failure handler.
#include "ShellFixture.h"
#include "platform/ProgramLog.h"
#include "shell/modMain.h"
#include "support/FileSizeLimit.h"
#include "support/MsgBoxScript.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QByteArray kRule = "%---------------------------------------------------%\r\n";
const QDateTime kWhen(QDate(2007, 10, 18), QTime(22, 20, 36));

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ProgramLogEntry, NewFileStartsWithTheProgramBannerAndSignPositionNumber) {
    const QByteArray expected = kRule + "           Wendlo - Error Log\r\n" + kRule +
                                "%                                                   %\r\n"
                                "10/18/200710:20:36 PMError: 13\r\n"
                                "SubMain Load Procedure\r\n"
                                "---\r\n"
                                "Type mismatch\r\n" +
                                kRule;
    EXPECT_EQ(ProgramLogEntry(true, kWhen, 13, "Type mismatch", "SubMain Load Procedure"), expected);
}

TEST(ProgramLogEntry, ExistingFileGetsNoHeaderAndNegativeNumbersTakeTheSignPlace) {
    const QByteArray expected = "%                                                   %\r\n"
                                "1/5/20089:05:07 AMError:-2147467259\r\n"
                                "SubMain Load Procedure\r\n"
                                "---\r\n"
                                "line one\r\nline two\r\n" +
                                kRule;
    EXPECT_EQ(ProgramLogEntry(false, QDateTime(QDate(2008, 1, 5), QTime(9, 5, 7)), -2147467259, "line one\r\nline two",
                              "SubMain Load Procedure"),
              expected);
    EXPECT_TRUE(ProgramLogEntry(false, QDateTime(QDate(2008, 1, 5), QTime(0, 0, 0)), 0, "x", "p")
                    .contains("12:00:00 AMError: 0\r\n"));
}

using StartUpFailureTest = ShellFixture;

TEST_F(StartUpFailureTest, FileErrorsPassSilentlyAndLeaveTheLogAlone) {
    for (int number : {53, 75}) {
        MsgBoxScript script;
        EXPECT_TRUE(StartUpFailure(number, ErrorDescription(number)));
        EXPECT_EQ(script.count(), 0);
    }
    EXPECT_FALSE(QFile::exists(folder.errorLogPath()));
    EXPECT_TRUE(exits.isEmpty());
}

TEST_F(StartUpFailureTest, OtherErrorsAreAppendedReportedAndEndTheProgram) {
    QFile log(folder.errorLogPath());
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("earlier\r\n");
    log.close();
    MsgBoxScript script;
    EXPECT_FALSE(StartUpFailure(13, "Type mismatch"));
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "ERROR #13\r\n\r\nType mismatch\r\nIn the: ModMain code module\r\n"
                                  "Procedure: SubMain Load Procedure");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(exits, QList<int>{0});
    const QByteArray text = readFile(folder.errorLogPath());
    EXPECT_TRUE(text.startsWith("earlier\r\n%                                                   %\r\n"));
    EXPECT_TRUE(text.endsWith("Error: 13\r\nSubMain Load Procedure\r\n---\r\nType mismatch\r\n" + kRule));
}

TEST_F(StartUpFailureTest, ALogThatCannotBeWrittenStillShowsTheMessage) {
    QDir().mkpath(folder.errorLogPath()); // a folder where the file should be
    MsgBoxScript script;
    EXPECT_FALSE(AppendProgramErrorLog(5, "x", "p"));
    EXPECT_FALSE(StartUpFailure(5, ErrorDescription(5)));
    EXPECT_EQ(script.count(), 1);
    EXPECT_EQ(exits, QList<int>{0});
}

// On a full disk an entry is written whole or not at all: no empty or cut log is left behind, and the next
// entry has the header and form it should have.
TEST_F(StartUpFailureTest, AnEntryIsWrittenWholeOrNotAtAll) {
    const QString path = folder.errorLogPath();
    for (const qint64 room : {0, 60, 150}) {
        FileSizeLimit full(room);
        EXPECT_FALSE(AppendProgramErrorLog(13, "Type mismatch", "SubMain Load Procedure"));
        EXPECT_FALSE(QFileInfo::exists(path)) << room;
    }
    ASSERT_TRUE(AppendProgramErrorLog(13, "Type mismatch", "SubMain Load Procedure"));
    const QByteArray first = readFile(path);
    ASSERT_TRUE(first.startsWith(kRule + "           Wendlo - Error Log\r\n"));
    for (const qint64 room : {0, 60}) {
        FileSizeLimit full(first.size() + room);
        EXPECT_FALSE(AppendProgramErrorLog(5, "Invalid procedure call or argument", "SubMain Load Procedure"));
        EXPECT_EQ(readFile(path), first) << room;
    }
    ASSERT_TRUE(AppendProgramErrorLog(5, "x", "SubMain Load Procedure"));
    const QByteArray both = readFile(path);
    EXPECT_TRUE(both.startsWith(first + "%                                                   %\r\n"));
    EXPECT_TRUE(both.endsWith("Error: 5\r\nSubMain Load Procedure\r\n---\r\nx\r\n" + kRule));
}
