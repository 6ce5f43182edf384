#pragma once
// A fresh application folder in a temporary directory: the library, an empty database made from
// the schema, and the pictures, help and text files. Makes itself the program's App.Path.

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

class AppFolder {
public:
    AppFolder();
    ~AppFolder();

    QString path() const { return dir_.path(); }
    QString databasePath() const { return path() + "/miles/miles.mil"; }
    QString errorLogPath() const { return path() + "/error.log"; }

    // Runs SQL directly on the database (test set-up and checks, not through the library).
    void exec(const QString& sql) const;
    // The first column of the first row of a query, or an invalid QVariant when there is none.
    QVariant scalar(const QString& sql) const;
    // Adds a trip row directly; returns its TripID ("T-" + ID).
    QString addTrip(const QString& destination, const QString& date = "10/18/2007", double total = 0.0,
                    const QString& notes = QString()) const;
    void addOwner(const QString& first = "Anne", const QString& last = "Smith") const;
    // Every column of the stored trips that match where, in SQL's quoted form, a line per trip in ID order:
    // what a write to another trip must leave as it was.
    QString trips(const QString& where) const;

private:
    QTemporaryDir dir_;
};
