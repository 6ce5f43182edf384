#pragma once
// Program-wide variables and the small routines every window shares.

#include "Wendlo.h"

#include <QList>
#include <QPersistentModelIndex>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

// The application object: folder, title and version.
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

// The report connection object; the reports create it and nobody opens it.
struct DbConnection {
    std::string connectionString;
};

extern std::shared_ptr<_Trip> objTrip;
extern RecordsetPtr rsTrip;
// The trip list row last filled or read: a row of a window's trip model, invalid once that list is
// refilled or gone.
extern QPersistentModelIndex itmTrip;
extern QString strFullName;
extern std::shared_ptr<DbConnection> conTrips;

// Closes and releases rsTrip; never fails.
void CloseRecordset();
// Trims leading and trailing blanks (code 32 only) from every text box and rich-text box of frm.
void TrimTextFields(QWidget* frm);
// Waits until more than intSeconds whole seconds have passed, processing events; returns true.
bool Delay(std::int16_t intSeconds);

// Creates a new Trip into objTrip, replacing the one held there (the data windows do this on load).
// Returns 0, or the error number (91 library or class not found, 430 wrong interface).
int NewTrip();

// Child windows of the main window. Shows frm as a child window when the main window exists,
// as a top-level window otherwise (tests), and brings it forward when it is already shown.
// Closing frm closes its child window frame too, and both are deleted; Escape in it closes it.
void ShowChild(QWidget* frm);
// Arranges the child windows: 0 cascade, 1 tile horizontally, 2 tile vertically, 3 arrange icons.
void Arrange(int arrangement);
// The tiling layouts: count rectangles that fill area. Horizontal tiling stacks the windows one
// above the other (in columns once there are more than three), vertical tiling sets them side by side.
// No rectangle is smaller than least: where the area is too small for that, the rectangles fill a larger
// area from the same corner, and the client area scrolls to them.
QList<QRect> TileRects(const QRect& area, int count, bool horizontal, const QSize& least = QSize(0, 0));

// Makes F1 open the application help file in every window (the start-up installs it once).
void InstallHelpKey();
// Makes Enter press the focused button in every window but the dialogs, which press their default button
// (the main window installs it once).
void InstallButtonEnterKey();

// Ends the program; does not return in the program. Tests replace the final exit: then ShutDown
// hides every window, calls the replacement and returns, and ProgramEnded() tells the callers to stop.
void ShutDown();
// ShutDown's step that releases the report data environment when it is active (the start-up installs it,
// since the reports are built on top of these routines).
void SetReportRelease(std::function<void()> release);
// Ends the process at once with exitCode: the last step of ShutDown, and the end of a second copy.
void EndProcess(int exitCode);
using FinalExit = std::function<void(int exitCode)>;
void SetFinalExit(FinalExit exitFn); // an empty function restores the real one
bool ProgramEnded();
void ResetProgramEnded(); // tests that run the start-up more than once
