#include "trips/frmImportTrips.h"

#include "platform/FileDialog.h"
#include "platform/FitScrollArea.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "platform/SafeFile.h"
#include "platform/TripLoader.h"
#include "shell/modGlobal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The library's batch interface, on an object of the window's own.
std::shared_ptr<_Trip> batchObject() {
    int err = 0;
    return CreateTripObject(App::Path(), &err, CLSID_Trip, IID__TripBatch);
}

QString flaggedText(const ImportedTrip& trip) {
    if (trip.idExists)
        return QStringLiteral("Line %1: Trip ID %2 is stored already").arg(trip.line).arg(trip.fileTripId);
    return QStringLiteral("Line %1: the same trip (date, destination, odometers) is stored or in the file already")
        .arg(trip.line);
}

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
    connect(chkKeep, &QCheckBox::toggled, this, &frmImportTrips::recheck);
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
    QByteArray bytes;
    if (!ReadRegularFile(fileName, qint64(256) << 20, bytes)) {
        MsgBox(QStringLiteral("The file cannot be read! \r\n\r\n") + QDir::toNativeSeparators(fileName) +
                   QStringLiteral(" is no readable file of at most 256 MB. "),
               vbExclamation | vbOKOnly);
        return false;
    }
    SetMousePointer(this, vbHourglass);
    data_ = ReadCsv(bytes);
    txtFile->setText(fileName);
    // The stored trips, for the Trip IDs and trips the file repeats.
    std::shared_ptr<_Trip> reader = batchObject();
    RecordsetPtr rs;
    try {
        rs = reader ? reader->LoadTrip() : nullptr;
    } catch (...) {
        rs.reset();
    }
    stored_ = rs ? TripTable::fromRecordset(*rs) : std::make_shared<TripTable>();
    fillPreview();
    const QStringList header = data_.records.isEmpty() ? QStringList() : data_.records.first().fields;
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
    SetMousePointer(this, vbDefault);
    if (data_.records.size() < 2) {
        MsgBox(QStringLiteral("The file holds no trips. "), vbExclamation | vbOKOnly);
        return false;
    }
    return true;
}

void frmImportTrips::fillPreview() {
    tblPreview->clear();
    const int rows = int(std::min<qsizetype>(kPreviewRows, std::max<qsizetype>(0, data_.records.size() - 1)));
    int columns = 0;
    for (qsizetype r = 0; r <= rows && r < data_.records.size(); ++r)
        columns = std::max(columns, int(data_.records[r].fields.size()));
    tblPreview->setRowCount(rows);
    tblPreview->setColumnCount(columns);
    if (!data_.records.isEmpty())
        tblPreview->setHorizontalHeaderLabels(data_.records.first().fields);
    for (int r = 0; r < rows; ++r) {
        const CsvRecord& record = data_.records[r + 1];
        tblPreview->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(record.line)));
        for (qsizetype c = 0; c < record.fields.size(); ++c)
            tblPreview->setItem(r, int(c), new QTableWidgetItem(record.fields[c]));
    }
}

void frmImportTrips::mapChanged() {
    if (!filling_)
        recheck();
}

void frmImportTrips::recheck() {
    CsvFieldMap map;
    for (int f = 0; f < TripTable::kFieldCount; ++f)
        map[std::size_t(f)] =
            cboMap[std::size_t(f)]->currentData().isValid() ? cboMap[std::size_t(f)]->currentData().toInt() : -1;
    check_ = data_.records.isEmpty()
                 ? ImportCheck()
                 : CheckImportRows(data_, map, stored_ ? *stored_ : TripTable(), CsvNumberLocale(data_));
    lstRefused->clear();
    for (const RefusedRow& row : check_.refused)
        lstRefused->addItem(QStringLiteral("Line %1: %2").arg(row.line).arg(row.reason));
    int flagged = 0;
    for (const ImportedTrip& trip : check_.accepted) {
        if (trip.idExists || trip.duplicate) {
            ++flagged;
            if (!chkKeep->isChecked())
                lstRefused->addItem(flaggedText(trip));
        }
    }
    const int storing = int(rowsToStore().size());
    lblSummary->setText(QStringLiteral("%1 rows to import, %2 refused, %3 stored already or repeated%4.")
                            .arg(storing)
                            .arg(check_.refused.size())
                            .arg(flagged)
                            .arg(chkKeep->isChecked() || flagged == 0 ? QString() : QStringLiteral(" (skipped)")));
    cmdImport->setEnabled(storing > 0);
}

std::vector<const ImportedTrip*> frmImportTrips::rowsToStore() const {
    std::vector<const ImportedTrip*> rows;
    rows.reserve(check_.accepted.size());
    for (const ImportedTrip& trip : check_.accepted) {
        if (chkKeep->isChecked() || !(trip.idExists || trip.duplicate))
            rows.push_back(&trip);
    }
    return rows;
}

void frmImportTrips::cmdImport_Click() {
    const std::vector<const ImportedTrip*> rows = rowsToStore();
    if (rows.empty())
        return;
    const int left = int(check_.accepted.size() + check_.refused.size() - rows.size());
    const QString question =
        left > 0 ? QStringLiteral("%1 rows of the file will NOT be imported (listed in the window). \r\n\r\n"
                                  "Import the other %2 trips? ")
                       .arg(left)
                       .arg(rows.size())
                 : QStringLiteral("Import %1 trips? ").arg(rows.size());
    if (MsgBox(question, vbYesNo | vbQuestion | vbDefaultButton2) != vbYes)
        return;
    SetMousePointer(this, vbHourglass);
    std::vector<WendloTrip> trips;
    trips.reserve(rows.size());
    for (const ImportedTrip* t : rows) {
        const TripValueSet& v = t->values;
        trips.push_back(WendloTrip{v.strText, v.datDate, v.intMiles, v.lngNumbers, v.sngMoney, v.sngRate});
    }
    std::int32_t stored = -1;
    std::shared_ptr<_Trip> writer = batchObject();
    if (writer) {
        try {
            stored = static_cast<_TripBatch*>(writer.get())->AddTrips(trips);
        } catch (...) {
            stored = -1;
        }
    }
    SetMousePointer(this, vbDefault);
    if (stored < 0) {
        // All or nothing: the library rolled the batch back and logged why.
        MsgBox(QStringLiteral("The trips were NOT imported! \r\n\r\nNo trip of the file was stored. "),
               vbCritical | vbOKOnly, QStringLiteral(" ERROR"));
        return;
    }
    emit tripsImported(stored);
    MsgBox(QStringLiteral("%1 trips imported. ").arg(stored), vbInformation | vbOKOnly);
    LoadFile(txtFile->text()); // what is stored now shows as stored already
}
