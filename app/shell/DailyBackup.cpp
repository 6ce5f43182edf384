#include "shell/DailyBackup.h"

#include "platform/DatabaseCopy.h"
#include "shell/modGlobal.h"
#include "shell/modMain.h"

#include <QFile>

bool BackupDatabase(const QDate& today) {
    const QString miles = App::Path() + QStringLiteral("/miles");
    const dbcopy::BackupResult result =
        dbcopy::TakeDailyBackup(QFile::encodeName(miles + QStringLiteral("/miles.mil")).toStdString(),
                                QFile::encodeName(miles + QStringLiteral("/backups")).toStdString(),
                                dbcopy::Date{today.year(), today.month(), today.day()});
    if (result.kind != dbcopy::BackupResult::Failed)
        return true;
    // Error 75, "Path/File access error": the backup is a file copy that could not be made.
    AppendProgramErrorLog(75,
                          QStringLiteral("The daily backup failed: ") + QString::fromLocal8Bit(result.error.c_str()),
                          QStringLiteral("Daily Backup Procedure"));
    return false;
}
