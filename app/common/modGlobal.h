#pragma once
// Program-wide variables and the small routines every window shares.

#include "Wendlo.h"

#include <QPersistentModelIndex>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

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
