#include "platform/Browser.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace {
constexpr qint64 kMaxConfigBytes = 1024 * 1024;

QStringList pathList(const char* variable, const QString& fallback) {
    QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        value = fallback;
    QStringList dirs;
    for (const QString& dir : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir)) // relative entries are invalid in these variables
            dirs << QDir::cleanPath(dir);
    return dirs;
}

QString homeDir(const char* variable, const QString& belowHome) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + belowHome;
}

QStringList configDirs() {
    return QStringList{homeDir("XDG_CONFIG_HOME", QStringLiteral(".config"))} +
           pathList("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
}

QStringList applicationDirs() {
    QStringList dirs{homeDir("XDG_DATA_HOME", QStringLiteral(".local/share"))};
    dirs += pathList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (QString& dir : dirs)
        dir += QStringLiteral("/applications");
    return dirs;
}

// The keys of one [group] of an ini-style file (mimeapps.list, .desktop), without locale variants.
QHash<QString, QString> readGroup(const QString& path, const QString& group) {
    QHash<QString, QString> keys;
    QByteArray bytes;
    if (!ReadRegularFile(path, kMaxConfigBytes, bytes))
        return keys;
    bool inGroup = false;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inGroup || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key)) // the first occurrence counts
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return keys;
}

// A desktop file id names applications/<id>; a "-" in the id may stand for a subfolder.
QString findDesktopFile(const QString& id) {
    if (!id.endsWith(QStringLiteral(".desktop")) || id.contains(QLatin1Char('/')) || id.startsWith(QLatin1Char('.')))
        return QString();
    for (const QString& dir : applicationDirs()) {
        QString relative = id;
        for (int tries = 0; tries < 8; ++tries) {
            const QString candidate = dir + QLatin1Char('/') + relative;
            if (QFileInfo(candidate).isFile())
                return candidate;
            const qsizetype dash = relative.indexOf(QLatin1Char('-'));
            if (dash < 0)
                break;
            relative[dash] = QLatin1Char('/');
        }
    }
    return QString();
}

// Undoes the escapes of a desktop file's string values.
QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            if (next == QLatin1Char('s'))
                out += QLatin1Char(' ');
            else if (next == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (next == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else if (next == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else
                out += next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// Splits an Exec value into arguments: double quotes group, and a backslash inside them escapes.
QStringList splitExec(const QString& exec) {
    QStringList args;
    QString current;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c.isSpace()) {
            if (any || !current.isEmpty())
                args << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        args << current;
    return args;
}

// Removes the field codes (%u, %F, %i ...): the address is appended after a blank instead.
QString withoutFieldCodes(const QString& arg) {
    QString out;
    for (qsizetype i = 0; i < arg.size(); ++i) {
        if (arg[i] == QLatin1Char('%') && i + 1 < arg.size()) {
            if (arg[++i] == QLatin1Char('%'))
                out += QLatin1Char('%');
            continue;
        }
        out += arg[i];
    }
    return out;
}

// Joins arguments so that QProcess::splitCommand gives them back.
QString joinCommand(const QStringList& args) {
    QStringList parts;
    for (QString arg : args) {
        const bool needsQuotes = arg.isEmpty() || arg.contains(QLatin1Char(' ')) || arg.contains(QLatin1Char('\t')) ||
                                 arg.contains(QLatin1Char('"'));
        arg.replace(QLatin1String("\""), QLatin1String("\"\"\""));
        parts << (needsQuotes ? QLatin1Char('"') + arg + QLatin1Char('"') : arg);
    }
    return parts.join(QLatin1Char(' '));
}

QString commandOfDesktopFile(const QString& path) {
    const QHash<QString, QString> entry = readGroup(path, QStringLiteral("Desktop Entry"));
    if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return QString();
    const QString type = entry.value(QStringLiteral("Type"), QStringLiteral("Application"));
    if (type != QLatin1String("Application"))
        return QString();
    QStringList args;
    for (const QString& arg : splitExec(unescapeValue(entry.value(QStringLiteral("Exec"))))) {
        const bool fieldCodeOnly = arg.size() == 2 && arg[0] == QLatin1Char('%') && arg[1] != QLatin1Char('%');
        if (!fieldCodeOnly)
            args << withoutFieldCodes(arg);
    }
    if (args.isEmpty() || args.first().isEmpty())
        return QString();
    return joinCommand(args);
}

// The first of ids (a ";"-separated list) that is installed, as a command line.
QString commandOfIds(const QString& ids) {
    for (const QString& id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString file = findDesktopFile(id.trimmed());
        if (file.isEmpty())
            continue;
        const QString command = commandOfDesktopFile(file);
        if (!command.isEmpty())
            return command;
    }
    return QString();
}

// mimeapps.list files in the order the desktop looks at them: user's, system's, then the data folders',
// each with the current desktop's own list first.
QStringList mimeappsLists() {
    QStringList desktops;
    for (const QString& name :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << name + QStringLiteral("-mimeapps.list");
    QStringList files;
    for (const QString& dir : configDirs() + applicationDirs()) {
        for (const QString& name : desktops)
            files << dir + QLatin1Char('/') + name;
        files << dir + QStringLiteral("/mimeapps.list");
    }
    return files;
}

QString browserFromEnvironment() {
    // $BROWSER: a ":"-separated list of commands, "%s" standing for the address.
    for (QString command : qEnvironmentVariable("BROWSER").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        command.remove(QStringLiteral("%s"));
        const QStringList args = QProcess::splitCommand(command);
        if (!args.isEmpty() && !QStandardPaths::findExecutable(args.first()).isEmpty())
            return joinCommand(args);
    }
    return QString();
}
} // namespace

QString DefaultBrowserCommand() {
    const QString fromEnvironment = browserFromEnvironment();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QStringList files = mimeappsLists();
    const QStringList types{QStringLiteral("x-scheme-handler/http"), QStringLiteral("x-scheme-handler/https"),
                            QStringLiteral("text/html")};
    // Defaults first; associations merely added by the user are a fallback.
    for (const QString& group : {QStringLiteral("Default Applications"), QStringLiteral("Added Associations")}) {
        for (const QString& type : types) {
            for (const QString& file : files) {
                const QString command = commandOfIds(readGroup(file, group).value(type));
                if (!command.isEmpty())
                    return command;
            }
        }
    }
    return QString();
}

bool StartDetached(const QString& commandLine) {
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty() || args.first().isEmpty())
        return false;
    const QString program = args.takeFirst();
    return QProcess::startDetached(program, args);
}
