#include "tripdata/DailyBackup.h"

#include "platform/AppInfo.h"
#include "platform/ProgramLog.h"
#include "tripdata/DatabaseCopy.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {
const QString kProcedure = QStringLiteral("Daily Backup Procedure");

// The end of the log: the day's entries are the last ones, however long the log has grown.
QByteArray logTail(const QString& path) {
    constexpr qint64 kTail = 1 << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    if (file.size() > kTail)
        file.seek(file.size() - kTail);
    return file.read(kTail);
}
} // namespace

bool LogHasEntryOn(const QByteArray& log, const QDate& day, const QString& procedure) {
    // The program's date line: M/d/yyyy, the time without a blank before it, then "Error:" and the number.
    const QString date =
        QStringLiteral("%1/%2/%3").arg(day.month()).arg(day.day()).arg(day.year(), 4, 10, QLatin1Char('0'));
    const QRegularExpression entry(QStringLiteral("(^|\\n)") + QRegularExpression::escape(date) +
                                   QStringLiteral("\\d{1,2}:\\d\\d:\\d\\d [AP]MError: ?-?\\d+\\r?\\n") +
                                   QRegularExpression::escape(procedure) + QStringLiteral("\\r?\\n"));
    return entry.match(QString::fromUtf8(log)).hasMatch();
}

DailyBackupResult BackupDatabase(const QDate& today) {
    const QString miles = App::Path() + QStringLiteral("/miles");
    const dbcopy::BackupResult result =
        dbcopy::TakeDailyBackup(QFile::encodeName(miles + QStringLiteral("/miles.mil")).toStdString(),
                                QFile::encodeName(miles + QStringLiteral("/backups")).toStdString(),
                                dbcopy::Date{today.year(), today.month(), today.day()});
    if (result.kind != dbcopy::BackupResult::Failed)
        return {true, QString()};
    const QString log = App::Path() + QStringLiteral("/error.log");
    // The log remembers the day's earlier failures, so the user hears of them once a day, not at every start.
    const bool toldToday = LogHasEntryOn(logTail(log), today, kProcedure);
    const QString why = QString::fromLocal8Bit(result.error.c_str());
    // Error 75, "Path/File access error": the backup is a file copy that could not be made.
    AppendProgramErrorLog(75, QStringLiteral("The daily backup failed: ") + why, kProcedure);
    if (toldToday)
        return {false, QString()};
    return {false, QStringLiteral("Today's backup of the trips could not be made:\r\n") + why +
                       QStringLiteral("\r\n\r\nThe trips themselves are unchanged. Odomark tries again at its next "
                                      "start, and says so once a day while it fails.\r\n\r\nThe details are in the "
                                      "error log: ") +
                       QDir::toNativeSeparators(log)};
}
