#include "trips/frmImportTrips.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/FileDialog.h"
#include "platform/FitScrollArea.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "platform/SafeFile.h"
#include "tripdata/TripLoader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The library's batch interface, on an object of the window's own.
std::shared_ptr<_Trip> batchObject() {
    int err = 0;
    return CreateTripObject(App::Path(), &err, CLSID_Trip, IID__TripKeeping);
}

constexpr qint64 kMaxFileBytes = qint64(256) << 20;

// One pass over the file with a progress dialog that shows once the pass takes a while; its Cancel
// stops the pass. Window-modal, so nothing else runs into the pass while it is shown.
class PassProgress {
public:
    PassProgress(QWidget* window, const QString& label, int delayMs)
        : window_(window), dialog_(label, QStringLiteral("Cancel"), 0, 1000, window) {
        dialog_.setWindowTitle(App::Caption());
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(delayMs);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
    }
    ImportProgress callback() {
        return [this](qint64 done, qint64 total) {
            dialog_.setValue(total > 0 ? int(std::min<qint64>(999, done * 1000 / total)) : 0);
            return !dialog_.wasCanceled();
        };
    }

    ~PassProgress() {
        // The keyboard goes back to the window that ran the pass, window manager or not.
        if (dialog_.isVisible()) {
            dialog_.hide();
            window_->activateWindow();
        }
    }
    PassProgress(const PassProgress&) = delete;
    PassProgress& operator=(const PassProgress&) = delete;

private:
    QWidget* window_;
    QProgressDialog dialog_;
};

const QString noMemory = QStringLiteral("There is not enough memory to read the file! ");

} // namespace

frmImportTrips::frmImportTrips(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmImportTrips"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(App::Caption());
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);

    txtFile = new QLineEdit(this);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setPlaceholderText(QStringLiteral("Type a file's path and press Enter, or Browse"));
    cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* fileLabel = new QLabel(QStringLiteral("Fil&e:"), this);
    fileLabel->setBuddy(txtFile);

    tblPreview = new QTableWidget(this);
    tblPreview->setObjectName(QStringLiteral("tblPreview"));
    tblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPreview->setMinimumHeight(140);
    tblPreview->setAccessibleName(QStringLiteral("First rows of the file"));

    auto* mapping = new QGroupBox(QStringLiteral("Columns of the file for each trip field"), this);
    auto* grid = new QGridLayout(mapping);
    const QStringList& names = TripCsvHeader();
    for (int f = 0; f < TripTable::kFieldCount; ++f) {
        auto* combo = new QComboBox(mapping);
        combo->setObjectName(QStringLiteral("cboMap_%1").arg(f));
        auto* label = new QLabel(names[f] + QLatin1Char(':'), mapping);
        label->setBuddy(combo);
        combo->setAccessibleName(names[f]);
        grid->addWidget(label, f / 3, (f % 3) * 2);
        grid->addWidget(combo, f / 3, (f % 3) * 2 + 1);
        cboMap[std::size_t(f)] = combo;
        connect(combo, &QComboBox::currentIndexChanged, this, &frmImportTrips::mapChanged);
    }

    lstRefused = new QListWidget(this);
    lstRefused->setObjectName(QStringLiteral("lstRefused"));
    lstRefused->setMinimumHeight(90);
    auto* refusedLabel = new QLabel(QStringLiteral("Rows &not imported:"), this);
    refusedLabel->setBuddy(lstRefused);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    chkKeep = new QCheckBox(QStringLiteral("&Keep rows whose Trip ID or trip is stored already"), this);
    chkKeep->setObjectName(QStringLiteral("chkKeep"));

    cmdImport = new QPushButton(QStringLiteral("&Import"), this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdImport->setEnabled(false);
    cmdExit = new QPushButton(QStringLiteral("e&Xit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    auto* top = new QHBoxLayout;
    top->addWidget(fileLabel);
    top->addWidget(txtFile, 1);
    top->addWidget(cmdBrowse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdExit);
    // Between the file row and the summary and buttons, which always show: the lists give up height first,
    // then that part scrolls inside the window.
    auto* middle = new QWidget(this);
    auto* parts = new QVBoxLayout(middle);
    parts->setContentsMargins(0, 0, 0, 0);
    parts->addWidget(tblPreview, 2);
    parts->addWidget(mapping);
    parts->addWidget(refusedLabel);
    parts->addWidget(lstRefused, 1);
    auto* box = new QVBoxLayout(this);
    box->addLayout(top);
    box->addWidget(new FitScrollArea(middle, this), 1);
    box->addWidget(lblSummary);
    box->addWidget(chkKeep);
    box->addLayout(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, &frmImportTrips::cmdBrowse_Click);
    connect(txtFile, &QLineEdit::returnPressed, this, [this] {
        const QString typed = txtFile->text().trimmed();
        if (!typed.isEmpty())
            LoadFile(typed);
    });
    connect(cmdImport, &QPushButton::clicked, this, &frmImportTrips::cmdImport_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(chkKeep, &QCheckBox::toggled, this, &frmImportTrips::listRows);
    txtFile->setFocus(Qt::OtherFocusReason); // the first tab stop: a path typed here loads on Enter
}

void frmImportTrips::cmdBrowse_Click() {
    const QString fileName = GetFileName(this, FileDialogMode::Open, QStringLiteral("Import Trips"),
                                         QStringLiteral("CSV files (*.csv *.txt);;All files (*)"));
    if (!fileName.isEmpty())
        LoadFile(fileName);
}

bool frmImportTrips::LoadFile(const QString& fileName) {
    // A regular file only, read without blocking: a pipe or device typed as the path must not freeze the
    // program, and 256 MiB is far more than any trip log.
    // A file that is not read leaves the window with the one it had, and the file box naming that one.
    const auto keepLoaded = [this] {
        if (!fileName_.isEmpty())
            txtFile->setText(fileName_);
        return false;
    };
    QFile file;
    if (!OpenRegularFile(fileName, kMaxFileBytes, file)) {
        MsgBox(QStringLiteral("The file cannot be read! \r\n\r\n") + QDir::toNativeSeparators(fileName) +
                   QStringLiteral(" is no readable file of at most 256 MB. "),
               vbExclamation | vbOKOnly);
        return keepLoaded();
    }
    ImportScan scan;
    SetMousePointer(this, vbHourglass);
    try {
        PassProgress progress(this, QStringLiteral("Reading %1...").arg(QFileInfo(fileName).fileName()),
                              progressDelayMs);
        scan = ScanImportFile(file, kPreviewRows, progress.callback());
    } catch (const std::bad_alloc&) {
        scan.error = noMemory;
    }
    SetMousePointer(this, vbDefault);
    if (scan.cancelled)
        return keepLoaded();
    if (!scan.error.isEmpty()) {
        MsgBox(scan.error, vbExclamation | vbOKOnly);
        return keepLoaded();
    }
    fileName_ = fileName;
    fileSize_ = file.size(); // of the file opened, not of what the name points to now
    fileTime_ = file.fileTime(QFileDevice::FileModificationTime);
    scan_ = std::move(scan);
    imported_ = false;
    txtFile->setText(fileName);
    // The stored trips, for the Trip IDs and trips the file repeats; only what the check needs is kept.
    std::shared_ptr<_Trip> reader = batchObject();
    RecordsetPtr rs;
    try {
        rs = reader ? reader->LoadTrip() : nullptr;
        stored_ = rs ? StoredTrips::of(*TripTable::fromRecordset(*rs)) : StoredTrips();
    } catch (...) {
        stored_ = StoredTrips();
    }
    rs.reset();
    fillPreview();
    const QStringList header = scan_.firstRecords.isEmpty() ? QStringList() : scan_.firstRecords.first().fields;
    const CsvFieldMap map = MapCsvHeader(header);
    filling_ = true;
    for (int f = 0; f < TripTable::kFieldCount; ++f) {
        QComboBox* combo = cboMap[std::size_t(f)];
        combo->clear();
        combo->addItem(QStringLiteral("(none)"), -1);
        for (qsizetype c = 0; c < header.size(); ++c)
            combo->addItem(header[c].isEmpty() ? QStringLiteral("Column %1").arg(c + 1) : header[c], int(c));
        combo->setCurrentIndex(map[std::size_t(f)] + 1);
    }
    filling_ = false;
    recheck();
    if (scan_.rows == 0) {
        MsgBox(QStringLiteral("The file holds no trips. "), vbExclamation | vbOKOnly);
        return false;
    }
    return true;
}

void frmImportTrips::fillPreview() {
    tblPreview->clear();
    const QList<CsvRecord>& records = scan_.firstRecords;
    const int rows = int(std::max<qsizetype>(0, records.size() - 1));
    int columns = 0;
    for (const CsvRecord& record : records)
        columns = std::max(columns, int(record.fields.size()));
    tblPreview->setRowCount(rows);
    tblPreview->setColumnCount(columns);
    if (!records.isEmpty())
        tblPreview->setHorizontalHeaderLabels(records.first().fields);
    for (int r = 0; r < rows; ++r) {
        const CsvRecord& record = records[r + 1];
        tblPreview->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(record.line)));
        for (qsizetype c = 0; c < record.fields.size(); ++c)
            tblPreview->setItem(r, int(c), new QTableWidgetItem(record.fields[c]));
    }
}

void frmImportTrips::mapChanged() {
    if (!filling_)
        recheck();
}

CsvFieldMap frmImportTrips::currentMap() const {
    CsvFieldMap map;
    for (int f = 0; f < TripTable::kFieldCount; ++f) {
        const QVariant column = cboMap[std::size_t(f)]->currentData();
        map[std::size_t(f)] = column.isValid() ? column.toInt() : -1;
    }
    return map;
}

bool frmImportTrips::reopen(QFile& file) {
    if (OpenRegularFile(fileName_, kMaxFileBytes, file)) {
        if (file.size() == fileSize_ && file.fileTime(QFileDevice::FileModificationTime) == fileTime_)
            return true;
        file.close();
    }
    MsgBox(QStringLiteral("The file has changed or is gone since it was read! \r\n\r\nRead it again. "),
           vbExclamation | vbOKOnly);
    return false;
}

void frmImportTrips::recheck() {
    tally_ = ImportTally();
    checked_ = false;
    QFile file;
    if (!scan_.firstRecords.isEmpty() && reopen(file)) {
        const CsvFieldMap map = currentMap();
        SetMousePointer(this, vbHourglass);
        try {
            PassProgress progress(this, QStringLiteral("Checking the rows..."), progressDelayMs);
            tally_ = CheckImportFile(
                file,
                ImportChecker(map, scan_.firstRecords.first().fields.size(), stored_, scan_.evidence.decimal(map)),
                progress.callback());
            checked_ = !tally_.cancelled;
        } catch (const std::bad_alloc&) {
            tally_ = ImportTally();
            MsgBox(noMemory, vbExclamation | vbOKOnly);
        }
        SetMousePointer(this, vbDefault);
    }
    listRows();
}

void frmImportTrips::listRows() {
    lstRefused->clear();
    const auto list = [this](const std::vector<RefusedRow>& rows, qint64 count) {
        for (const RefusedRow& row : rows)
            lstRefused->addItem(QStringLiteral("Line %1: %2").arg(row.line).arg(row.reason));
        if (count > qint64(rows.size()))
            lstRefused->addItem(QStringLiteral("... and %1 more rows like these").arg(count - qint64(rows.size())));
    };
    list(tally_.refused, tally_.refusedRows);
    const bool keep = chkKeep->isChecked();
    if (!keep)
        list(tally_.repeats, tally_.repeated);
    const qint64 storing = rowsToStore();
    QString summary;
    if (!checked_ && !scan_.firstRecords.isEmpty())
        summary = QStringLiteral("The rows were not checked: choose the columns again, or read the file again.");
    else
        summary =
            QStringLiteral("%1 rows to import, %2 refused, %3 stored already or repeated%4 (%5 rows in the file).")
                .arg(storing)
                .arg(tally_.refusedRows)
                .arg(tally_.repeated)
                .arg(keep || tally_.repeated == 0 ? QString() : QStringLiteral(" (skipped)"))
                .arg(scan_.rows);
    if (imported_)
        summary = QStringLiteral("The trips of this file were imported. ") + summary;
    lblSummary->setText(summary);
    cmdImport->setEnabled(checked_ && !imported_ && storing > 0);
}

qint64 frmImportTrips::rowsToStore() const {
    return chkKeep->isChecked() ? tally_.accepted : tally_.accepted - tally_.repeated;
}

void frmImportTrips::cmdImport_Click() {
    const qint64 rows = rowsToStore();
    if (!checked_ || imported_ || rows <= 0)
        return;
    const qint64 left = tally_.refusedRows + tally_.accepted - rows;
    const QString question =
        left > 0 ? QStringLiteral("%1 rows of the file will NOT be imported (listed in the window). \r\n\r\n"
                                  "Import the other %2 trips? ")
                       .arg(left)
                       .arg(rows)
                 : QStringLiteral("Import %1 trips? ").arg(rows);
    if (MsgBox(question, vbYesNo | vbQuestion | vbDefaultButton2) != vbYes)
        return;
    QFile file;
    if (!reopen(file))
        return;
    const CsvFieldMap map = currentMap();
    std::int32_t stored = -1;
    bool cancelled = false;
    bool changed = false;
    SetMousePointer(this, vbHourglass);
    std::shared_ptr<_Trip> writer = batchObject();
    if (writer) {
        try {
            PassProgress progress(this, QStringLiteral("Importing the trips..."), progressDelayMs);
            ImportSource source(
                file,
                ImportChecker(map, scan_.firstRecords.first().fields.size(), stored_, scan_.evidence.decimal(map)),
                chkKeep->isChecked(), rows, progress.callback());
            stored = static_cast<_TripKeeping*>(writer.get())->AddTripsFrom(source);
            cancelled = source.cancelled();
            changed = source.changed();
        } catch (...) {
            stored = -1;
        }
    }
    SetMousePointer(this, vbDefault);
    if (stored < 0) {
        // All or nothing: the library rolled the batch back (and logged why when it failed).
        const QString why = cancelled ? QStringLiteral("The import was cancelled. ")
                            : changed ? QStringLiteral("The file has changed since it was read. ")
                                      : QString();
        MsgBox(QStringLiteral("The trips were NOT imported! \r\n\r\n") + why +
                   QStringLiteral("No trip of the file was stored. "),
               (cancelled ? vbExclamation : vbCritical) | vbOKOnly, cancelled ? QString() : QStringLiteral(" ERROR"));
        return;
    }
    imported_ = true;
    listRows();
    emit tripsImported(stored);
    MsgBox(QStringLiteral("%1 trips imported. ").arg(stored), vbInformation | vbOKOnly);
}
