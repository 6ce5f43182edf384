#include "reports/frmReport.h"

#include "common/ChildWindows.h"
#include "common/TripListView.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/Format.h"
#include "platform/Look.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "reports/dataReport.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

namespace {

// Design widths are twips; the screen shows 15 twips to a pixel.
constexpr int pixels(int twips) {
    return twips / 15;
}
// Beside its columns the list needs its frame and a vertical scroll bar; the window its margins and
// the main window's child frame.
constexpr int kListChrome = 24;
constexpr int kWindowChrome = 2 * 10 + kListChrome + 40;

QLabel* boxLabel(QWidget* parent, const QString& text, const QColor& background, const QColor& colour, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    // A plain box in the text's colour; a style sheet here would take the colours over from the palette.
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    SetColours(label, background, colour);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    label->setMinimumHeight(22);
    return label;
}

QPushButton* colouredButton(QWidget* parent, const QString& name, const QString& text, const QString& colour) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setMinimumWidth(button->sizeHint().width() + 24);
    // The palette alone: a style sheet on the button would take its colours over, unreadably on a dark desktop.
    SetColours(button, QColor(colour));
    return button;
}

} // namespace

frmReport::frmReport(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmReport"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* title = new QLabel(tr("Select Trip"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setAlignment(Qt::AlignCenter);
    title->setFrameShape(QFrame::Box);
    QFont titleFont;
    titleFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setMinimumHeight(28);

    list_ = new TripListView(TripTableModel::Columns::SelectionList, this);
    lvTrip_ = list_->view();
    lvTrip_->setAlternatingRowColors(true);
    lvTrip_->header()->setStretchLastSection(false);
    lvTrip_->setMinimumSize(pixels(6200) + kListChrome, 220);

    const QColor tip = QGuiApplication::palette().color(QPalette::ToolTipBase);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->setRowMinimumHeight(1, 6);
    grid->addWidget(list_, 2, 0, 1, 3);
    grid->setRowMinimumHeight(3, 8);
    const QString captions[] = {tr("Trip ID"), tr("Destination"), tr("Date")};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(boxLabel(this, captions[i], Qt::white, Qt::black, false), 4, i);
        lblData_[i] = boxLabel(this, QString(), tip, Qt::blue, true);
        lblData_[i]->setObjectName(QStringLiteral("lblData_%1").arg(i));
        grid->addWidget(lblData_[i], 5, i);
    }
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 5);
    grid->setColumnStretch(2, 3);
    grid->setRowMinimumHeight(6, 10);

    cmdSelect_ = colouredButton(this, QStringLiteral("cmdSelect"), tr("&Select"), QStringLiteral("#7ee07e"));
    cmdClear_ = colouredButton(this, QStringLiteral("cmdClear"), tr("&Clear"), QStringLiteral("#ffffc0"));
    cmdExit_ = colouredButton(this, QStringLiteral("cmdExit"), tr("e&Xit"), QStringLiteral("#ffd0a0"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    buttons->addWidget(cmdSelect_);
    buttons->addWidget(cmdClear_);
    buttons->addWidget(cmdExit_);
    buttons->addStretch(1);
    grid->addLayout(buttons, 7, 0, 1, 3);

    list_->chainTabOrder(cmdSelect_);
    setTabOrder(cmdSelect_, cmdClear_);
    setTabOrder(cmdClear_, cmdExit_);

    connect(list_, &TripListView::rowChosen, this, &frmReport::lvTrip_Click);
    connect(list_, &TripListView::sortRequested, this, &frmReport::lvTrip_ColumnClick);
    connect(cmdSelect_, &QPushButton::clicked, this, &frmReport::cmdSelect_Click);
    connect(cmdClear_, &QPushButton::clicked, this, &frmReport::cmdClear_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &frmReport::cmdExit_Click);

    Form_Load();
    fitColumns();

    // A fixed single border: the window keeps the size of its layout.
    adjustSize();
    setFixedSize(sizeHint());
    lvTrip_->setFocus();
}

frmReport::~frmReport() = default; // itmTrip goes invalid with this window's model

void frmReport::Form_Load() {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);
    setWindowTitle(App::Caption());
    FillTripList();
}

void frmReport::FillTripList() {
    SetMousePointer(this, vbHourglass);
    if (!objTrip)
        NewTrip();
    rsTrip = std::make_shared<Recordset>();
    if (objTrip)
        rsTrip = objTrip->LoadTrip();
    std::shared_ptr<TripTable> table = rsTrip ? TripTable::fromRecordset(*rsTrip) : std::make_shared<TripTable>();
    list_->setTable(table);
    if (table->rowCount() > 0)
        itmTrip = list_->model()->index(table->rowCount() - 1, 0); // the row last added
    CloseRecordset();
    SetMousePointer(this, vbDefault);
}

void frmReport::fitColumns() {
    // Every value shows whole: a column grows from its design width to its widest text at the list's font.
    // Only a window that would not fit the screen gives up Destination's excess, whose cells then elide.
    const int designs[] = {1000, 1500, 2500, 1200};
    list_->fitColumns({pixels(designs[0]), pixels(designs[1]), pixels(designs[2]), pixels(designs[3])});
    const auto total = [this] {
        int sum = 0;
        for (int c = 0; c < 4; ++c)
            sum += lvTrip_->columnWidth(c);
        return sum;
    };
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const int room = screen->availableGeometry().width() - kWindowChrome;
        if (total() > room)
            lvTrip_->setColumnWidth(2, std::max(pixels(designs[2]), lvTrip_->columnWidth(2) - (total() - room)));
    }
    lvTrip_->setMinimumWidth(total() + kListChrome);
}

void frmReport::lvTrip_Click() {
    SetMousePointer(this, vbHourglass);
    // The focused row is the chosen one: Enter on the row the list gave the focus to, which is not
    // yet highlighted, chooses it as a click does.
    const int row = list_->currentTableRow();
    if (row >= 0) {
        lvTrip_->selectionModel()->select(lvTrip_->currentIndex(),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        const TripTableModel& model = *list_->model();
        itmTrip = model.index(row, 0);
        lblData_[0]->setText(model.table().text(row, TripTable::TripId));
        lblData_[1]->setText(model.cellText(row, 2));
        lblData_[2]->setText(model.cellText(row, 1));
    }
    SetMousePointer(this, vbDefault);
}

void frmReport::lvTrip_ColumnClick(int column) {
    SetMousePointer(this, vbHourglass);
    // The direction flips at every click, whichever column is clicked; a new list starts ascending.
    list_->sortByClick(column);
    SetMousePointer(this, vbDefault);
}

void frmReport::cmdSelect_Click() {
    if (lblData_[0]->text().isEmpty()) {
        MsgBox(QStringLiteral("Select a record from the list above. "), vbExclamation | vbOKOnly, App::Title());
        return;
    }
    const QString strID = lblData_[0]->text();
    if (dataReport().rscmdReport().isOpen()) {
        dataReport().rscmdReport().Close();
        rptReport::Unload();
    }
    SetMousePointer(this, vbDefault);
    dataReport().cmdReport(strID);
    rptReport::Show();
    Arrange(0);
}

void frmReport::cmdClear_Click() {
    for (QLabel* label : lblData_)
        label->setText(QString());
}

void frmReport::cmdExit_Click() {
    close();
}
