#pragma once
// Whether the trip file keeps deleted and changed trips for restoring. A file from before the history gains
// it as soon as it can be written: at start-up, when the history window opens, and before each change.

#include <QString>

struct HistoryKeeping {
    bool kept = false;
    QString reason; // why not, in words, when the history is not kept
};

// Adds the history to the trip file of appPath where it is missing (the library does it in one transaction,
// touching no trip) and says whether it is kept.
HistoryKeeping KeepTripHistory(const QString& appPath);

// The words for the library's failure to add the history: its error number (SQLite's result code) decides.
QString HistoryFailureText(long number, const QString& description);

// Before a trip is changed or deleted: keeps the history when it can. When it cannot, the user is told why
// once per trip file and session, since the change about to be made cannot be undone.
void KeepHistoryBeforeChange(const QString& appPath);
