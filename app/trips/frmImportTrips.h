#pragma once
// The CSV import window: reads a file, shows its first rows, maps its columns to the trip fields by
// header (the user can change each), lists the rows it refuses with their lines and reasons, and
// stores every accepted row or none in one batch through the library. Each step is a pass over the
// file with progress and Cancel, so a long file neither freezes the window nor is held in memory.

#include "tripdata/TripImport.h"

#include <QDateTime>
#include <QFile>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

class frmImportTrips : public QWidget {
    Q_OBJECT
public:
    explicit frmImportTrips(QWidget* parent = nullptr);

    QLineEdit* txtFile = nullptr;
    QTableWidget* tblPreview = nullptr;
    std::array<QComboBox*, TripTable::kFieldCount> cboMap{};
    QListWidget* lstRefused = nullptr;
    QLabel* lblSummary = nullptr;
    QCheckBox* chkKeep = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdExit = nullptr;

    void cmdBrowse_Click();
    // Reads a file and checks its rows; false (with a message) when it cannot be read or the user cancels.
    bool LoadFile(const QString& fileName);
    void cmdImport_Click();

    static constexpr int kPreviewRows = 10;
    // How long a pass over the file runs before its progress dialog (with Cancel) shows.
    int progressDelayMs = 400;

signals:
    // Trips were stored: the trip lists may refresh.
    void tripsImported(int count);

private:
    void fillPreview();
    void mapChanged();
    // Checks every row under the columns chosen now (a pass over the file).
    void recheck();
    // Lists the rows left out and the counts; repeated rows only when they are not kept.
    void listRows();
    CsvFieldMap currentMap() const;
    // The file read again for a pass: false, with a message, when it is gone or has changed since.
    bool reopen(QFile& file);
    // The rows the batch stores: the accepted ones, repeated ones only when the user keeps them.
    qint64 rowsToStore() const;

    QString fileName_;
    qint64 fileSize_ = -1;
    QDateTime fileTime_;
    ImportScan scan_;
    StoredTrips stored_;
    ImportTally tally_;
    bool checked_ = false; // tally_ belongs to the columns chosen now
    bool imported_ = false;
    bool filling_ = false;
};
