#include "platform/ProgramLog.h"

#include "platform/AppInfo.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>

namespace {
QByteArray rule() {
    return QByteArray("%") + QByteArray(51, '-') + "%";
}
QByteArray frame() {
    return QByteArray("%") + QByteArray(51, ' ') + "%";
}

// Date and time as the library writes them, so both writers' entries read alike.
QByteArray dateAndTime(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1/%2/%3%4:%5:%6 %7")
        .arg(d.month())
        .arg(d.day())
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(hour12)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"))
        .toLatin1();
}

// A number as text with its sign position: a blank before zero and positive numbers.
QByteArray signedNumber(int number) {
    return number >= 0 ? " " + QByteArray::number(number) : QByteArray::number(number);
}
} // namespace

QString ErrorDescription(int number) {
    switch (number) {
    case 5:
        return QStringLiteral("Invalid procedure call or argument");
    case 13:
        return QStringLiteral("Type mismatch");
    case 53:
        return QStringLiteral("File not found");
    case 75:
        return QStringLiteral("Path/File access error");
    case 91:
        return QStringLiteral("Object variable or With block variable not set");
    case 429:
        return QStringLiteral("ActiveX component can't create object");
    case 430:
        return QStringLiteral("Class does not support Automation or does not support expected interface");
    case 481:
        return QStringLiteral("Invalid picture");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

QByteArray ProgramLogEntry(bool newFile, const QDateTime& now, int number, const QString& description,
                           const QString& procedure) {
    QByteArray out;
    const auto line = [&out](const QByteArray& text) {
        out += text;
        out += "\r\n";
    };
    if (newFile) {
        line(rule());
        line("           Wendlo - Error Log");
        line(rule());
    }
    line(frame());
    line(dateAndTime(now) + "Error:" + signedNumber(number));
    line(procedure.toUtf8());
    line("---");
    line(description.toUtf8());
    line(rule());
    return out;
}

bool AppendProgramErrorLog(int number, const QString& description, const QString& procedure) {
    const QString path = App::Path() + QStringLiteral("/error.log");
    const QFileInfo info(path);
    const bool existed = info.exists() || info.isSymLink();
    // Only a regular file is a log: opening anything else could block or write to a device.
    if (existed && !info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const qint64 before = file.size();
    const QByteArray entry = ProgramLogEntry(before == 0, QDateTime::currentDateTime(), number, description, procedure);
    // The whole entry in one write; a part of one (disk full) is cut off again, and a log that this entry
    // created is removed, so the log only ever holds whole entries.
    const bool written = file.write(entry) == entry.size() && file.flush();
    if (!written && existed)
        file.resize(before);
    file.close();
    if (!written && !existed)
        QFile::remove(path);
    return written && file.error() == QFileDevice::NoError;
}
