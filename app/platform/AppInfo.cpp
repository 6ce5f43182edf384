#include "platform/AppInfo.h"

#include <QCoreApplication>

namespace {
QString testPath;
QString helpFile;
} // namespace

namespace App {
QString Path() {
    if (!testPath.isEmpty())
        return testPath;
    return QCoreApplication::applicationDirPath();
}
QString SettingsFile() {
    return Path() + QStringLiteral("/odomark.conf");
}
QString Title() {
    return QStringLiteral("Odomark");
}
int Major() {
    return ODOMARK_VERSION_MAJOR;
}
int Minor() {
    return ODOMARK_VERSION_MINOR;
}
QString Caption() {
    return Title() + QStringLiteral("  -  ") + QString::number(Major()) + "." + QString::number(Minor());
}
void setPathForTesting(const QString& path) {
    testPath = path;
}
QString HelpFile() {
    return helpFile;
}
void setHelpFile(const QString& path) {
    helpFile = path;
}
} // namespace App
