#pragma once
// The default web browser, found the freedesktop way.

#include <QString>

// The default browser's command line (without the address), or empty text when none is found.
QString DefaultBrowserCommand();
// Starts a command line (program and arguments separated by blanks) without waiting for it.
bool StartDetached(const QString& commandLine);

// The product's web page, opened by "Check For Updates".
inline QString ProductWebPage() {
    return QStringLiteral("https://www.odomark.example/updates");
}
