#include "trips/frmEditTrip.h"

#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "shell/modGlobal.h"

#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>

namespace {

// A list row that keeps the stored trip behind its texts: loading and sorting use the values,
// never the rounded display texts. The texts are made when the view asks for them, so a long list
// fills quickly; the row cannot be edited, so they never change.
class TripListItem : public QTreeWidgetItem {
public:
    explicit TripListItem(StoredTrip stored) : QTreeWidgetItem(QTreeWidgetItem::UserType), trip(std::move(stored)) {
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }

    QVariant data(int column, int role) const override {
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return TripListCell(trip, column);
        if (role == Qt::TextAlignmentRole)
            return QVariant(int(TripListAlignment(column)));
        return QTreeWidgetItem::data(column, role);
    }

    bool operator<(const QTreeWidgetItem& other) const override {
        if (other.type() != QTreeWidgetItem::UserType)
            return QTreeWidgetItem::operator<(other);
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return TripLess(trip, static_cast<const TripListItem&>(other).trip, column);
    }

    const StoredTrip trip;
};

const int columnWidths[kTripListColumns] = {60, 80, 160, 50, 75, 75, 75, 70, 70, 70, 70, 70, 70, 70, 70, 200};

} // namespace

frmEditTrip::frmEditTrip(QWidget* parent) : TripForm(Kind::Edit, parent) {
    setObjectName(QStringLiteral("frmEditTrip"));

    lvTrip = new QTreeWidget(this);
    lvTrip->setObjectName(QStringLiteral("lvTrip"));
    lvTrip->setColumnCount(kTripListColumns);
    lvTrip->setHeaderLabels(TripListHeaders());
    for (int column = 0; column < kTripListColumns; ++column) {
        lvTrip->headerItem()->setTextAlignment(column, TripListAlignment(column));
        lvTrip->setColumnWidth(column, columnWidths[column]);
    }
    lvTrip->setRootIsDecorated(false);
    lvTrip->setUniformRowHeights(true);
    lvTrip->setAllColumnsShowFocus(true);
    lvTrip->setSelectionMode(QAbstractItemView::SingleSelection);
    lvTrip->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTrip->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTrip->setMinimumHeight(160);
    lvTrip->header()->setSectionsClickable(true);
    lvTrip->header()->setSortIndicatorShown(false);
    placeAbove(lvTrip);

    lblID = new QLabel(this);
    lblID->setObjectName(QStringLiteral("lblID"));
    lblID->hide();

    connect(lvTrip, &QTreeWidget::itemClicked, this, &frmEditTrip::lvTrip_Click);
    connect(lvTrip, &QTreeWidget::itemActivated, this, &frmEditTrip::lvTrip_Click);
    connect(lvTrip->header(), &QHeaderView::sectionClicked, this, &frmEditTrip::lvTrip_ColumnClick);
    connect(cmdDelete, &QPushButton::clicked, this, &frmEditTrip::cmdDelete_Click);

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

frmEditTrip::~frmEditTrip() {
    if (itmTrip && itmTrip == lastItem_)
        itmTrip = nullptr; // the shared row must not outlive this window's list
}

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
}

void frmEditTrip::FillTripList() {
    SetMousePointer(this, vbHourglass);
    try {
        rsTrip = objTrip ? objTrip->LoadTrip() : nullptr;
    } catch (...) {
        rsTrip.reset();
    }
    QList<QTreeWidgetItem*> rows;
    if (rsTrip) {
        rows.reserve(static_cast<qsizetype>(rsTrip->RecordCount()));
        rsTrip->MoveFirst();
        while (!rsTrip->eof()) {
            auto* item = new TripListItem(StoredTripFromRecord(*rsTrip));
            rows.append(item);
            itmTrip = lastItem_ = item;
            rsTrip->MoveNext();
        }
    }
    lvTrip->addTopLevelItems(rows); // at once: the view lays out once, not per row
    CloseRecordset();
    SetMousePointer(this, vbDefault);
}

void frmEditTrip::emptyList() {
    if (itmTrip && itmTrip == lastItem_)
        itmTrip = nullptr;
    lastItem_ = nullptr;
    dateWarned_ = nullptr;
    lvTrip->clear();
}

void frmEditTrip::lvTrip_Click() {
    QTreeWidgetItem* item = lvTrip->currentItem();
    if (!item || item->type() != QTreeWidgetItem::UserType)
        return;
    SetMousePointer(this, vbHourglass);
    itmTrip = lastItem_ = item;
    const StoredTrip& trip = static_cast<const TripListItem*>(item)->trip;
    lblID->setText(trip.tripId);
    datBox->setStoredDate(trip.date, trip.dateText);
    setFieldTexts(TripFieldTextsOf(trip));
    rtBox->setPlainText(trip.notes);
    SetMousePointer(this, vbDefault);
    if (trip.date.isValid()) {
        dateWarned_ = nullptr;
    } else if (item != dateWarned_) {
        dateWarned_ = item; // a double click loads the row more than once; one message is enough
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
    const QString what = deleting ? QStringLiteral("Deleting removes all of them. Do you want to delete anyway? ")
                                  : QStringLiteral("Saving gives all of them the values shown. Do you want to save "
                                                   "anyway? ");
    return MsgBox(QStringLiteral("%1 stored trips have the Trip ID %2. \r\n\r\n").arg(sharing).arg(id) + what,
                  vbYesNo | vbExclamation | vbDefaultButton2) == vbYes;
}

void frmEditTrip::lvTrip_ColumnClick(int column) {
    SetMousePointer(this, vbHourglass);
    sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    // The rows are sorted once; rows added later are not placed by it.
    lvTrip->header()->setSortIndicator(column, sortOrder_);
    lvTrip->sortItems(column, sortOrder_);
    SetMousePointer(this, vbDefault);
}

void frmEditTrip::cmdClear_Click() {
    clearFields();
    dateWarned_ = nullptr;
    lblID->hide();
    lblID->clear();
    lvTrip->setFocus(Qt::OtherFocusReason);
}

void frmEditTrip::cmdSave_Click() {
    if (lblID->text().isEmpty()) {
        MsgBox(QStringLiteral("Select a record to edit before saving. "), vbExclamation | vbOKOnly);
        return;
    }
    TrimTextFields(this);
    if (!ValidateTripFields() || !ValidateTripDate())
        return;
    const QString id = lblID->text();
    if (!ConfirmSharedTripID(id, false))
        return;
    // A failed update keeps the fields and the loaded trip, so the user can try again.
    if (!GatherAndStore([id] { return std::optional<QString>(id); }, true)) {
        MsgBox(QStringLiteral("Trip Record was NOT Updated! "), vbCritical | vbOKOnly, QStringLiteral(" ERROR"));
        return;
    }
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

void frmEditTrip::RefreshTripList() {
    emptyList();
    FillTripList();
}
