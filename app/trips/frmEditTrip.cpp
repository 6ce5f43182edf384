#include "trips/frmEditTrip.h"

#include "common/TripFilterModel.h"
#include "common/TripListView.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/FileDialog.h"
#include "platform/LayoutMemory.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "tripdata/HistoryKeeping.h"
#include "tripdata/TripCsv.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>

frmEditTrip::frmEditTrip(QWidget* parent) : TripForm(Kind::Edit, parent) {
    setObjectName(QStringLiteral("frmEditTrip"));

    list_ = new TripListView(TripTableModel::Columns::EditList, this);
    lvTrip = list_->view();
    lvTrip->setMinimumHeight(160);
    placeAbove(list_);
    list_->chainTabOrder(datBox);
    RememberSplitter(splitter(), App::SettingsFile(), objectName());

    lblID = new QLabel(this);
    lblID->setObjectName(QStringLiteral("lblID"));
    lblID->hide();

    connect(list_, &TripListView::rowChosen, this, &frmEditTrip::lvTrip_Click);
    connect(list_, &TripListView::sortRequested, this, &frmEditTrip::lvTrip_ColumnClick);
    connect(cmdDelete, &QPushButton::clicked, this, &frmEditTrip::cmdDelete_Click);

    // Beside the window's own buttons: the list's rows to the report and to a file.
    cmdPrint = new QPushButton(QStringLiteral("Print &These"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setAutoDefault(false);
    cmdPrint->setToolTip(QStringLiteral(" The trip list report of the trips the list shows, in its order "));
    cmdExport = new QPushButton(QStringLiteral("Export CS&V..."), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setAutoDefault(false);
    cmdExport->setToolTip(QStringLiteral(" Saves the trips as a CSV file for a spreadsheet "));
    addButtonsBeforeExit({cmdPrint, cmdExport});
    connect(cmdPrint, &QPushButton::clicked, this, &frmEditTrip::cmdPrint_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmEditTrip::cmdExport_Click);

    Form_Load();
    lvTrip->setFocus(Qt::OtherFocusReason); // the list is the first tab stop: the user picks a trip first
}

QSize frmEditTrip::sizeHint() const {
    // Wide enough for every column of the list; the main window's frame keeps it within the screen.
    QSize hint = TripForm::sizeHint();
    const int list =
        lvTrip->header()->length() + 2 * lvTrip->frameWidth() + lvTrip->verticalScrollBar()->sizeHint().width();
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    hint.setWidth(std::max(hint.width(), list + margins.left() + margins.right()));
    return hint;
}

frmEditTrip::~frmEditTrip() = default; // itmTrip goes invalid with this window's model

void frmEditTrip::Form_Load() {
    ClearClipboard();
    lblID->hide();
    lblID->clear();
    SetFormCaption();
    LoadFormIcon();
    LoadPictures(QStringLiteral("hwy.wmf"), QStringLiteral("trip.wmf"));
    datBox->setDate(QDate::currentDate());
    NewTrip();
    FillTripList();
    markLoaded();
}

void frmEditTrip::FillTripList() {
    SetMousePointer(this, vbHourglass);
    try {
        rsTrip = objTrip ? objTrip->LoadTrip() : nullptr;
    } catch (...) {
        rsTrip.reset();
    }
    std::shared_ptr<TripTable> table = rsTrip ? TripTable::fromRecordset(*rsTrip) : std::make_shared<TripTable>();
    list_->setTable(table);
    // Columns never narrower than they are: the design widths at first, or what the user made them.
    std::vector<int> shown;
    for (int c = 0; c < list_->model()->columnCount(); ++c)
        shown.push_back(lvTrip->columnWidth(c));
    list_->fitColumns(shown);
    dateWarned_ = -1;
    // The row last added, as filling row by row leaves it.
    if (table->rowCount() > 0)
        itmTrip = list_->model()->index(table->rowCount() - 1, 0);
    CloseRecordset();
    SetMousePointer(this, vbDefault);
}

void frmEditTrip::emptyList() {
    list_->setTable(nullptr);
    dateWarned_ = -1;
}

void frmEditTrip::RefreshTripList() {
    emptyList();
    FillTripList();
}

void frmEditTrip::ReloadTrip(const QString& tripId) {
    if (tripId.isEmpty() || lblID->text() != tripId)
        return;
    if (HasUnsavedInput() &&
        MsgBox(QStringLiteral("Trip %1 was restored, but UpdateTrip Records holds changes to it that are not saved. "
                              "\r\n\r\nYes keeps your changes there (Save asks before writing them over the "
                              "restored trip); No shows the restored values. ")
                   .arg(tripId),
               vbYesNo | vbExclamation) == vbYes) {
        restoredOver_ = tripId;
        return;
    }
    const TripTable& table = list_->model()->table();
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.text(row, TripTable::TripId) == tripId && list_->setCurrentTableRow(row)) {
            lvTrip_Click();
            return;
        }
    }
    // The list's filter hides the trip, so its earlier values stay shown: Save asks before writing them.
    restoredOver_ = tripId;
}

void frmEditTrip::lvTrip_Click() {
    const int row = list_->currentTableRow();
    if (row < 0)
        return;
    SetMousePointer(this, vbHourglass);
    // Enter on a row the focus reached by the arrow keys chooses it as a click does.
    lvTrip->selectionModel()->select(lvTrip->currentIndex(),
                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    itmTrip = list_->model()->index(row, 0);
    const StoredTrip trip = StoredTripFromTable(list_->model()->table(), row);
    lblID->setText(trip.tripId);
    datBox->setStoredDate(trip.date, trip.dateText);
    setFieldTexts(TripFieldTextsOf(trip));
    rtBox->setPlainText(trip.notes);
    markLoaded();
    restoredOver_.clear();
    SetMousePointer(this, vbDefault);
    if (trip.date.isValid()) {
        dateWarned_ = -1;
    } else if (row != dateWarned_) {
        dateWarned_ = row; // a double click loads the row more than once; one message is enough
        // Save cannot write this text back, so it refuses until the user gives a date: nothing is lost.
        const QString shown = trip.dateText.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(trip.dateText);
        MsgBox(QStringLiteral("The stored Trip Date%1 cannot be read! \r\n\r\n"
                              "It stays as stored unless you enter a new date and save. ")
                   .arg(shown),
               vbExclamation | vbOKOnly);
    }
}

bool frmEditTrip::ConfirmSharedTripID(const QString& id, bool deleting) {
    SetMousePointer(this, vbHourglass);
    try {
        rsTrip = objTrip ? objTrip->RefreshTrip() : nullptr;
    } catch (...) {
        rsTrip.reset();
    }
    const auto sharing = StoredTripIDs(rsTrip.get()).count(id);
    CloseRecordset();
    SetMousePointer(this, vbDefault);
    if (sharing < 2)
        return true;
    return MsgBox(SharedTripIDQuestion(sharing, id, deleting ? SharedTripIDWrite::Delete : SharedTripIDWrite::Save),
                  vbYesNo | vbExclamation | vbDefaultButton2) == vbYes;
}

void frmEditTrip::lvTrip_ColumnClick(int column) {
    SetMousePointer(this, vbHourglass);
    // The rows are sorted once; a refilled list comes unsorted.
    list_->sortByClick(column);
    SetMousePointer(this, vbDefault);
}

void frmEditTrip::cmdClear_Click() {
    clearFields();
    dateWarned_ = -1;
    lblID->hide();
    lblID->clear();
    markLoaded();
    restoredOver_.clear();
    lvTrip->setFocus(Qt::OtherFocusReason);
}

bool frmEditTrip::StoreTrip() {
    if (lblID->text().isEmpty()) {
        MsgBox(QStringLiteral("Select a record to edit before saving. "), vbExclamation | vbOKOnly);
        return false;
    }
    TrimTextFields(this);
    if (!ValidateTripFields() || !ValidateTripDate())
        return false;
    const QString id = lblID->text();
    if (restoredOver_ == id &&
        MsgBox(QStringLiteral("Trip %1 was restored from the history after you loaded it. \r\n\r\n"
                              "Saving writes the values shown over the restored ones. Do you want to save anyway? ")
                   .arg(id),
               vbYesNo | vbExclamation | vbDefaultButton2) != vbYes)
        return false;
    if (!ConfirmSharedTripID(id, false))
        return false;
    KeepHistoryBeforeChange(App::Path());
    // A failed update keeps the fields and the loaded trip, so the user can try again.
    if (!GatherAndStore([id] { return std::optional<QString>(id); }, true)) {
        MsgBox(QStringLiteral("Trip Record was NOT Updated! "), vbCritical | vbOKOnly, QStringLiteral(" ERROR"));
        return false;
    }
    restoredOver_.clear();
    return true;
}

bool frmEditTrip::HasUnsavedInput() const {
    return !lblID->text().isEmpty() && TripForm::HasUnsavedInput();
}

QString frmEditTrip::UnsavedQuestion() const {
    return QStringLiteral("Your changes to Trip %1 are not saved. \r\n\r\nSave them before closing? ")
        .arg(lblID->text());
}

bool frmEditTrip::SaveBeforeClose() {
    if (!StoreTrip())
        return false;
    RefreshTripList(); // should the window stay open after all, its list shows the stored values
    return true;
}

void frmEditTrip::cmdSave_Click() {
    if (!StoreTrip())
        return;
    AnotherOrClose(MsgBox(QStringLiteral("Trip Record Updated! \r\n\r\nDo you want to edit another Trip record? "),
                          vbYesNo | vbQuestion | vbDefaultButton2, QStringLiteral("Record Updated Successfully")));
}

void frmEditTrip::cmdDelete_Click() {
    if (lblID->text().isEmpty())
        return;
    TrimTextFields(this);
    if (!ValidateTripFields())
        return;
    if (!ConfirmSharedTripID(lblID->text(), true))
        return;
    KeepHistoryBeforeChange(App::Path());
    std::string strID = lblID->text().toStdString();
    bool deleted = false;
    if (objTrip) {
        try {
            deleted = objTrip->DeleteTrip(strID); // the library asks the user to confirm
        } catch (...) {
            deleted = false;
        }
    }
    if (!deleted) {
        MsgBox(QStringLiteral("Trip Record was NOT Deleted! "), vbExclamation | vbOKOnly);
        cmdClear_Click();
        return;
    }
    AnotherOrClose(MsgBox(QStringLiteral("Trip Record Deleted! \r\n\r\nDo you want to delete another Trip record? "),
                          vbYesNo | vbQuestion | vbDefaultButton2, QStringLiteral("Record Removed Successfully")));
}

void frmEditTrip::AnotherOrClose(int answer) {
    if (answer == vbYes) {
        cmdClear_Click();
        emptyList();
        FillTripList();
    } else {
        closeForm();
    }
}

void frmEditTrip::cmdPrint_Click() {
    const TripFilterModel& shown = *list_->proxy();
    if (shown.shownCount() == 0) {
        MsgBox(QStringLiteral("No trips are shown in the list. "), vbExclamation | vbOKOnly);
        return;
    }
    SetMousePointer(this, vbDefault);
    emit printRequested(list_->model()->sharedTable(), shown.shownRows());
}

void frmEditTrip::cmdExport_Click() {
    const TripFilterModel& shown = *list_->proxy();
    std::vector<int> rows = shown.shownRows();
    if (shown.shownCount() < shown.totalCount()) {
        const QLocale locale;
        const int answer = MsgBox(QStringLiteral("The list shows %1 of the %2 trips. \r\n\r\n"
                                                 "Yes exports the trips shown, No exports all trips. ")
                                      .arg(locale.toString(shown.shownCount()), locale.toString(shown.totalCount())),
                                  vbYesNoCancel | vbQuestion);
        if (answer == vbCancel)
            return;
        if (answer == vbNo) {
            rows.resize(std::size_t(shown.totalCount()));
            for (int i = 0; i < shown.totalCount(); ++i)
                rows[std::size_t(i)] = i;
        }
    }
    const QString fileName = GetFileName(this, FileDialogMode::Save, QStringLiteral("Export Trips"),
                                         QStringLiteral("CSV files (*.csv);;All files (*)"),
                                         QDir::home().filePath(QStringLiteral("trips.csv")));
    if (fileName.isEmpty())
        return;
    SetMousePointer(this, vbHourglass);
    QString error;
    const bool written = WriteTripsCsv(fileName, TripsToCsv(list_->model()->table(), rows), &error);
    SetMousePointer(this, vbDefault);
    if (!written)
        MsgBox(QStringLiteral("The trips were NOT exported! \r\n\r\n") + error, vbCritical | vbOKOnly);
}
