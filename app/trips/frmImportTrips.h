#pragma once
// The CSV import window: reads a file, shows its first rows, maps its columns to the trip fields by
// header (the user can change each), lists the rows it refuses with their lines and reasons, and
// stores every accepted row or none in one batch through the library.

#include "trips/TripImport.h"

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
    // Reads a file and checks its rows; false (with a message) when it cannot be read.
    bool LoadFile(const QString& fileName);
    void cmdImport_Click();

    static constexpr int kPreviewRows = 10;

signals:
    // Trips were stored: the trip lists may refresh.
    void tripsImported(int count);

private:
    void fillPreview();
    void mapChanged();
    void recheck();
    // The accepted rows the batch stores: flagged ones only when the user keeps them.
    std::vector<const ImportedTrip*> rowsToStore() const;

    CsvData data_;
    ImportCheck check_;
    std::shared_ptr<TripTable> stored_;
    bool filling_ = false;
};
