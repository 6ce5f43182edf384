#pragma once
// The application object: folder, title, version and help file.

#include <QString>

namespace App {
QString Path();  // the folder that holds the program, without a trailing slash
QString SettingsFile(); // Path() + "/odomark.conf": the sizes the user gave windows and splitters
QString Title(); // "Odomark"
int Major();
int Minor();
QString Caption();                           // Title + "  -  " + Major + "." + Minor
void setPathForTesting(const QString& path); // tests run the windows in a fresh application folder
// The application-wide help file, the one F1 opens in every window.
QString HelpFile();
void setHelpFile(const QString& path);
} // namespace App
