#include "trips/frmTripHistory.h"

#include "common/TripDateBox.h"
#include "common/TripHistoryFilter.h"
#include "common/TripHistoryModel.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/DateBox.h"
#include "platform/FindBox.h"
#include "platform/Format.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "tripdata/TripDates.h"
#include "tripdata/TripLoader.h"
#include "tripdata/TripRules.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const int kColumnWidths[TripHistoryModel::ColumnCount] = {150, 100, 60, 80, 160, 80};

QString errorLogText() {
    return QStringLiteral("\r\n\r\nThe details are in the error log: ") +
           QDir::toNativeSeparators(App::Path() + QStringLiteral("/error.log"));
}
} // namespace

frmTripHistory::frmTripHistory(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmTripHistory"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Deleted and Changed Trips"));
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);

    auto* lblFind = new QLabel(QStringLiteral("Fi&nd:"), this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    txtFind = NewFindBox(this, this, QStringLiteral("Trip ID, destination or notes"));
    lblFind->setBuddy(txtFind);
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(lblFind);
    findRow->addWidget(txtFind, 1);
    findRow->addWidget(lblCount);
    lblNotKept = new QLabel(this);
    lblNotKept->setObjectName(QStringLiteral("lblNotKept"));
    lblNotKept->setWordWrap(true);
    lblNotKept->hide();

    model_ = new TripHistoryModel(this);
    filter_ = new TripHistoryFilter(this);
    filter_->setSourceModel(model_);
    lvHistory = new QTreeView(this);
    lvHistory->setObjectName(QStringLiteral("lvHistory"));
    lvHistory->setModel(filter_);
    lvHistory->setRootIsDecorated(false);
    lvHistory->setUniformRowHeights(true);
    lvHistory->setAllColumnsShowFocus(true);
    lvHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    lvHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvHistory->setMinimumHeight(160);
    int listWidth = 0;
    for (int column = 0; column < TripHistoryModel::ColumnCount; ++column) {
        lvHistory->setColumnWidth(column, kColumnWidths[column]);
        listWidth += kColumnWidths[column];
    }
    lvHistory->setMinimumWidth(std::min(listWidth + 30, 700));

    cmdRestore = new QPushButton(QStringLiteral("Res&tore"), this);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    auto* lblEmpty = new QLabel(QStringLiteral("Entries &older than:"), this);
    lblEmpty->setObjectName(QStringLiteral("lblEmpty"));
    datEmpty = NewTripDateBox(this);
    datEmpty->setDate(QDate::currentDate().addYears(-1));
    datEmpty->setObjectName(QStringLiteral("datEmpty"));
    lblEmpty->setBuddy(datEmpty);
    cmdEmpty = new QPushButton(QStringLiteral("&Empty"), this);
    cmdEmpty->setObjectName(QStringLiteral("cmdEmpty"));
    cmdExit = new QPushButton(QStringLiteral("e&Xit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRestore);
    buttons->addSpacing(24);
    buttons->addWidget(lblEmpty);
    buttons->addWidget(datEmpty);
    buttons->addWidget(cmdEmpty);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(lblNotKept);
    layout->addWidget(lvHistory, 1);
    layout->addLayout(buttons);
    setTabOrder(txtFind, lvHistory);
    setTabOrder(lvHistory, cmdRestore);
    setTabOrder(cmdRestore, datEmpty);
    setTabOrder(datEmpty, cmdEmpty);
    setTabOrder(cmdEmpty, cmdExit);

    connect(txtFind, &QLineEdit::textChanged, this, &frmTripHistory::txtFind_Change);
    connect(cmdRestore, &QPushButton::clicked, this, &frmTripHistory::cmdRestore_Click);
    connect(cmdEmpty, &QPushButton::clicked, this, &frmTripHistory::cmdEmpty_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmTripHistory::cmdExit_Click);

    int err = 0;
    trip_ = CreateTripObject(App::Path(), &err, CLSID_Trip, IID__TripHistory);
    // An older file gains its history here when it can be written now.
    const int pointer = Screen::MousePointer();
    Screen::setMousePointer(vbHourglass);
    keeping_ = KeepTripHistory(App::Path());
    Screen::setMousePointer(pointer);
    FillHistoryList();
    lvHistory->setFocus(Qt::OtherFocusReason);
}

frmTripHistory::~frmTripHistory() = default;

_TripHistory* frmTripHistory::history() const {
    return static_cast<_TripHistory*>(trip_.get());
}

// The chosen entry stays chosen when it is still listed; otherwise the newest is.
void frmTripHistory::FillHistoryList() {
    SetMousePointer(this, vbHourglass);
    const QModelIndex chosen = filter_->mapToSource(lvHistory->currentIndex());
    const std::int64_t chosenId = chosen.isValid() ? model_->historyId(chosen.row()) : -1;
    const RecordsetPtr rows = trip_ ? history()->LoadHistory() : nullptr;
    model_->load(rows.get());
    if (rows)
        rows->Close();
    updateCount();
    QString why;
    if (!keeping_.kept)
        why = QStringLiteral("Deleted and changed trips are not kept: ") + keeping_.reason;
    else if (!rows)
        why = QStringLiteral("The history could not be read. ") + errorLogText().trimmed();
    lblNotKept->setText(why);
    lblNotKept->setVisible(!why.isEmpty());
    QModelIndex current = filter_->index(0, 0);
    for (int row = 0; chosenId >= 0 && row < model_->rowCount(); ++row) {
        if (model_->historyId(row) == chosenId) {
            const QModelIndex shown = filter_->mapFromSource(model_->index(row, 0));
            if (shown.isValid())
                current = shown;
            break;
        }
    }
    if (current.isValid())
        lvHistory->setCurrentIndex(current);
    SetMousePointer(this, vbDefault);
}

void frmTripHistory::txtFind_Change() {
    filter_->setFilterText(txtFind->text());
    updateCount();
}

void frmTripHistory::updateCount() {
    lblCount->setText(filter_->countText());
    const bool any = model_->rowCount() > 0;
    cmdRestore->setEnabled(any);
    cmdEmpty->setEnabled(any);
}

void frmTripHistory::cmdRestore_Click() {
    const QModelIndex current = filter_->mapToSource(lvHistory->currentIndex());
    if (!trip_ || !current.isValid()) {
        MsgBox(QStringLiteral("Select an entry to restore. "), vbExclamation | vbOKOnly);
        return;
    }
    const int row = current.row();
    const QString tripId = model_->tripId(row);
    const bool changed = model_->changeType(row) == QLatin1String("updated");
    if (changed && !confirmSharedTripID(tripId))
        return;
    std::int64_t entry = model_->historyId(row);
    bool newTripId = false;
    std::string restoredAs;
    SetMousePointer(this, vbHourglass);
    std::int32_t result = history()->RestoreTrip(entry, newTripId, restoredAs);
    SetMousePointer(this, vbDefault);
    if (result == WENDLO_RESTORE_ID_TAKEN) {
        const int answer = MsgBox(QStringLiteral("A stored trip already has the Trip ID ") + tripId +
                                      (changed ? QStringLiteral(".\r\n\r\nRestore the trip under a new Trip ID? ")
                                               : QStringLiteral(".\r\n\r\nRestore the deleted trip under a new "
                                                                "Trip ID? ")),
                                  vbYesNo | vbQuestion | vbDefaultButton2);
        if (answer != vbYes)
            return;
        newTripId = true;
        SetMousePointer(this, vbHourglass);
        result = history()->RestoreTrip(entry, newTripId, restoredAs);
        SetMousePointer(this, vbDefault);
    }
    const QString now = QString::fromStdString(restoredAs);
    switch (result) {
    case WENDLO_RESTORED:
        MsgBox(now == tripId ? QStringLiteral("Trip ") + tripId + QStringLiteral(" was restored. ")
                             : QStringLiteral("Trip ") + tripId + QStringLiteral(" was restored as Trip ") + now +
                                   QStringLiteral(". "),
               vbInformation | vbOKOnly);
        break;
    case WENDLO_RESTORED_OVER:
        MsgBox(QStringLiteral("Trip ") + tripId +
                   QStringLiteral(" was restored to its earlier values. \r\n\r\nThe values it replaced are in "
                                  "the list, so this can be undone too. "),
               vbInformation | vbOKOnly);
        break;
    case WENDLO_RESTORE_NO_ENTRY:
        MsgBox(QStringLiteral("This entry is no longer in the history. "), vbExclamation | vbOKOnly);
        break;
    case WENDLO_RESTORE_UNUSABLE:
        // Such a trip could be neither deleted nor saved again.
        MsgBox(QStringLiteral("This entry cannot be restored: it has no Trip ID, or text where a number belongs. "),
               vbExclamation | vbOKOnly);
        return;
    default:
        MsgBox(QStringLiteral("Trip ") + tripId + QStringLiteral(" was NOT restored! ") + errorLogText(),
               vbCritical | vbOKOnly);
        return;
    }
    FillHistoryList();
    if (result != WENDLO_RESTORE_NO_ENTRY) {
        emit tripsChanged();
        emit tripRestored(now.isEmpty() ? tripId : now);
    }
}

bool frmTripHistory::confirmSharedTripID(const QString& id) {
    SetMousePointer(this, vbHourglass);
    const RecordsetPtr ids = trip_->RefreshTrip();
    const auto sharing = StoredTripIDs(ids.get()).count(id);
    if (ids)
        ids->Close();
    SetMousePointer(this, vbDefault);
    return sharing < 2 || MsgBox(SharedTripIDQuestion(sharing, id, SharedTripIDWrite::Restore),
                                 vbYesNo | vbExclamation | vbDefaultButton2) == vbYes;
}

void frmTripHistory::cmdEmpty_Click() {
    const QDate day = datEmpty->date();
    if (!day.isValid()) {
        MsgBox(QStringLiteral("Enter the day as month/day/year, for example 5/31/2010. "), vbExclamation | vbOKOnly);
        datEmpty->setFocus();
        return;
    }
    const QString dayText = DateToText(day);
    const int count = model_->countBefore(day);
    if (!trip_ || count == 0) {
        MsgBox(QStringLiteral("No history entries are older than ") + dayText + QStringLiteral(". "),
               vbExclamation | vbOKOnly);
        return;
    }
    const QString entries =
        count == 1 ? QStringLiteral("1 history entry") : QString::number(count) + QStringLiteral(" history entries");
    if (MsgBox(QStringLiteral("Empty the ") + entries + QStringLiteral(" older than ") + dayText +
                   QStringLiteral("?\r\n\r\nOnce emptied they can't be recovered!"),
               vbYesNo | vbQuestion | vbDefaultButton2, QStringLiteral("** WARNING **")) != vbYes)
        return;
    WendloDate before{day.year(), day.month(), day.day(), 0, 0, 0, false};
    SetMousePointer(this, vbHourglass);
    const std::int32_t emptied = history()->EmptyHistory(before);
    SetMousePointer(this, vbDefault);
    if (emptied < 0) {
        MsgBox(QStringLiteral("The history entries were NOT emptied! ") + errorLogText(), vbCritical | vbOKOnly);
        return;
    }
    MsgBox((emptied == 1 ? QStringLiteral("1 history entry was")
                         : QString::number(emptied) + QStringLiteral(" history entries were")) +
               QStringLiteral(" emptied. "),
           vbInformation | vbOKOnly);
    FillHistoryList();
}

void frmTripHistory::cmdExit_Click() {
    close();
}
