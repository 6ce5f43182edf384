#include "common/TripListView.h"

#include "common/TripFilterModel.h"
#include "platform/FindBox.h"
#include "platform/Format.h"
#include "tripdata/TripDates.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// A bound of the date range: M/d/yyyy as the lists show dates, or yyyy-mm-dd; empty or unreadable
// leaves that side open.
QDate boundOf(const QLineEdit* box) {
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return QDate();
    return TextToDate(text);
}

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    return label;
}

} // namespace

TripListView::TripListView(TripTableModel::Columns columns, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tripList"));
    model_ = new TripTableModel(columns, this);
    proxy_ = new TripFilterModel(this);
    proxy_->setSourceModel(model_);

    txtFind_ = NewFindBox(this, parent ? parent : this, QStringLiteral("Trip ID, destination or notes"));
    txtFind_->installEventFilter(this);
    txtFrom_ = new QLineEdit(this);
    txtFrom_->setObjectName(QStringLiteral("txtFrom"));
    txtTo_ = new QLineEdit(this);
    txtTo_->setObjectName(QStringLiteral("txtTo"));
    for (QLineEdit* box : {txtFrom_, txtTo_}) {
        box->setPlaceholderText(QStringLiteral("M/d/yyyy"));
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
        box->setToolTip(QStringLiteral(" Empty leaves the range open on this side "));
    }
    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));

    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("lvTrip"));
    view_->setModel(proxy_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->installEventFilter(this);
    QHeaderView* header = view_->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int c = 0; c < model_->columnCount(); ++c)
        view_->setColumnWidth(c, model_->columnWidth(c));

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(buddyLabel(QStringLiteral("Fi&nd:"), txtFind_, this));
    bar->addWidget(txtFind_, 1);
    bar->addWidget(buddyLabel(QStringLiteral("Fro&m:"), txtFrom_, this));
    bar->addWidget(txtFrom_);
    bar->addWidget(buddyLabel(QStringLiteral("T&o:"), txtTo_, this));
    bar->addWidget(txtTo_);
    bar->addWidget(lblCount_);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addLayout(bar);
    box->addWidget(view_, 1);

    connect(txtFind_, &QLineEdit::textChanged, proxy_, &TripFilterModel::setFilterText);
    connect(txtFrom_, &QLineEdit::textChanged, this, &TripListView::dateRangeEdited);
    connect(txtTo_, &QLineEdit::textChanged, this, &TripListView::dateRangeEdited);
    connect(proxy_, &TripFilterModel::countChanged, this, &TripListView::updateCount);
    connect(view_, &QTreeView::clicked, this, &TripListView::rowChosen);
    connect(view_, &QTreeView::activated, this, &TripListView::rowChosen);
    connect(header, &QHeaderView::sectionClicked, this, &TripListView::sortRequested);
    connect(view_, &QWidget::customContextMenuRequested, this, &TripListView::showContextMenu);
    updateCount();
}

void TripListView::chainTabOrder(QWidget* next) {
    setTabOrder(txtFind_, txtFrom_);
    setTabOrder(txtFrom_, txtTo_);
    setTabOrder(txtTo_, view_);
    if (next)
        setTabOrder(view_, next);
}

void TripListView::setTable(std::shared_ptr<const TripTable> table) {
    model_->setTable(std::move(table));
    view_->header()->setSortIndicator(-1, Qt::AscendingOrder); // a refilled list is unsorted
}

void TripListView::fitColumns(const std::vector<int>& least) {
    const TripTable& table = model_->table();
    const int columns = model_->columnCount();
    // For each column the rows of the longest text, or of the largest and the smallest number: a column at a
    // time, as the table keeps them.
    std::vector<int> longest(std::size_t(columns), -1), smallest(std::size_t(columns), -1);
    for (int c = 0; c < columns; ++c) {
        const TripTable::Field f = model_->field(c);
        double most = -1, lowest = 0;
        for (int row = 0; row < table.rowCount(); ++row) {
            if (TripTable::isText(f) || f == TripTable::Date) {
                if (const double size = double(table.utf8(row, f).size()); size > most)
                    most = size, longest[std::size_t(c)] = row;
            } else if (const std::optional<double> v = table.number(row, f)) {
                if (std::abs(*v) > most)
                    most = std::abs(*v), longest[std::size_t(c)] = row;
                if (*v < lowest)
                    lowest = *v, smallest[std::size_t(c)] = row;
            }
        }
    }
    // The delegate's own measure, so a column is exactly as wide as its text needs to show whole.
    QStyleOptionViewItem option;
    option.initFrom(view_);
    option.font = view_->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.widget = view_;
    const auto needs = [&](int row, int column) {
        return row < 0 ? 0 : view_->itemDelegate()->sizeHint(option, model_->index(row, column)).width();
    };
    const int textCap = option.fontMetrics.averageCharWidth() * 40;
    // The room the style leaves on each side of a cell's text.
    const int margins = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1);
    for (int c = 0; c < columns; ++c) {
        const TripTable::Field f = model_->field(c);
        int width = std::max(needs(longest[std::size_t(c)], c), needs(smallest[std::size_t(c)], c));
        if (f == TripTable::Date) // the widest form a date takes, whatever the rows hold
            width = std::max(width, option.fontMetrics.horizontalAdvance(DateToText(QDate(2000, 12, 28))) + margins);
        if (TripTable::isText(f))
            width = std::min(width, textCap);
        width = std::max(width, view_->header()->sectionSizeHint(c));
        if (std::size_t(c) < least.size())
            width = std::max(width, least[std::size_t(c)]);
        view_->setColumnWidth(c, width);
    }
}

int TripListView::currentTableRow() const {
    const QModelIndex source = proxy_->mapToSource(view_->currentIndex());
    return source.isValid() ? source.row() : -1;
}

bool TripListView::setCurrentTableRow(int tableRow) {
    const QModelIndex at = proxy_->mapFromSource(model_->index(tableRow, 0));
    if (!at.isValid())
        return false;
    view_->setCurrentIndex(at);
    view_->scrollTo(at);
    return true;
}

void TripListView::sortByClick(int column) {
    proxy_->sortByClick(column);
    view_->header()->setSortIndicator(proxy_->sortColumn(), proxy_->sortOrder());
    if (view_->currentIndex().isValid())
        view_->scrollTo(view_->currentIndex());
}

bool TripListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        // The Menu key and Shift+F10 open the list's menu at the current row.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier) ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            showContextMenu(view_->visualRect(view_->currentIndex()).center());
            return true;
        }
    }
    if (watched == txtFind_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            // Down from the find box goes on into the rows found.
            view_->setFocus(Qt::TabFocusReason);
            if (!view_->currentIndex().isValid() && proxy_->rowCount() > 0)
                view_->setCurrentIndex(proxy_->index(0, 0));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TripListView::showContextMenu(const QPoint& at) {
    auto* menu = new QMenu(view_);
    menu->setObjectName(QStringLiteral("mnuTripList"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QMenu* sortBy = menu->addMenu(QStringLiteral("&Sort by"));
    sortBy->setObjectName(QStringLiteral("mnuSortBy"));
    for (int c = 0; c < model_->columnCount(); ++c) {
        QAction* action = sortBy->addAction(model_->headerData(c, Qt::Horizontal).toString());
        connect(action, &QAction::triggered, this, [this, c] { emit sortRequested(c); });
    }
    menu->addAction(QStringLiteral("&Find..."), this, [this] {
        txtFind_->setFocus(Qt::ShortcutFocusReason);
        txtFind_->selectAll();
    });
    // From the keyboard (Menu key, Shift+F10) Qt places the menu at the current row already.
    QPoint where = at;
    if (!view_->viewport()->rect().contains(where))
        where = view_->visualRect(view_->currentIndex()).center();
    menu->popup(view_->viewport()->mapToGlobal(where));
}

void TripListView::dateRangeEdited() {
    proxy_->setDateRange(boundOf(txtFrom_), boundOf(txtTo_));
}

void TripListView::updateCount() {
    lblCount_->setText(proxy_->countText());
}
