#pragma once
// The program's own entries in App.Path/error.log, written as the library writes its entries.

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The text the platform gives for an error number ("Object variable or With block variable not set").
QString ErrorDescription(int number);

// The program's entry in error.log: the header when the file is new, then the entry, CR LF after each line.
QByteArray ProgramLogEntry(bool newFile, const QDateTime& now, int number, const QString& description,
                           const QString& procedure);
// Appends the program's entry to App.Path/error.log, creating the file with its header; false when the
// file cannot be written.
bool AppendProgramErrorLog(int number, const QString& description, const QString& procedure);
