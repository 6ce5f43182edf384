#pragma once
// Looks at the trip file directly, apart from the library, to tell a damaged or unreadable file from an
// empty one. Reads only: never creates, repairs or changes the file.

#include <QString>

struct DatabaseProblem {
    int number = 0; // SQLite's result code; 0 when there is no problem
    QString description;
    explicit operator bool() const { return number != 0; }
};

// SQLite's quick check of the file: a problem when it reports damage or the file is no readable database.
// A file that is only busy or cannot be opened is left for the program's own reads to report.
DatabaseProblem QuickCheckDatabase(const QString& file);
// Reads every trip identifier as the trip record check does, and gives the failure that stopped it.
DatabaseProblem ReadTripIdentifiers(const QString& file);
// Reads the profile rows as the profile check does, and gives the failure that stopped it.
DatabaseProblem ReadProfile(const QString& file);
