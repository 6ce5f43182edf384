#pragma once
// The start-up routine and its checks.

#include <QString>

// Runs the start-up, then the program's event loop; returns the process exit code.
int Main();
// The start-up alone, up to the main window shown. False when the program ended during it.
bool StartUp();
bool CheckDatabase();
// SQLite's quick check of the database found by CheckDatabase: damage is logged and the user told that the
// file is damaged, that nothing is changed without asking, and where the backups are. True when sound.
bool CheckDatabaseDamage();
// Adds the trip history to a database from before it (the library does it in one transaction, touching no
// trip). A database that cannot be changed goes on without history, the library logs why, and the trip
// windows try again before the first change.
void PrepareTripHistory();
void CheckProfile();

// The failure handler of the start-up for a caught failure. Errors 53 and 75 are passed over (true:
// the start-up goes on); any other is logged, reported and ends the program (false).
bool StartUpFailure(int number, const QString& description);
