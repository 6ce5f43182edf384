#include "common/TripFilterModel.h"

#include "tripdata/TripCsv.h"

#include <algorithm>

TripFilterModel::TripFilterModel(QObject* parent) : QAbstractProxyModel(parent) {}

void TripFilterModel::setSourceModel(QAbstractItemModel* source) {
    beginResetModel();
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = qobject_cast<TripTableModel*>(source);
    QAbstractProxyModel::setSourceModel(model_);
    if (model_) {
        connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
        connect(model_, &QAbstractItemModel::modelReset, this, [this] {
            sourceReset();
            endResetModel();
            emit countChanged();
        });
    }
    sourceReset();
    endResetModel();
    emit countChanged();
}

// A new table comes in database order, unsorted as a refilled list is; the filter and the direction
// of the next click stay.
void TripFilterModel::sourceReset() {
    const int rows = model_ ? model_->table().rowCount() : 0;
    order_.resize(std::size_t(rows));
    for (int i = 0; i < rows; ++i)
        order_[std::size_t(i)] = i;
    sortColumn_ = -1;
    position_.assign(std::size_t(rows), -1);
    shown_.clear();
    for (int row : order_) {
        if (accepts(row)) {
            position_[std::size_t(row)] = int(shown_.size());
            shown_.push_back(row);
        }
    }
}

void TripFilterModel::sortByClick(int column) {
    sort(column, sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TripFilterModel::sort(int column, Qt::SortOrder order) {
    if (!model_ || column < 0 || column >= model_->columnCount())
        return;
    sortColumn_ = column;
    sortOrder_ = order;
    const TripTable& table = model_->table();
    const TripTable::Field field = model_->field(column);
    relayout(QAbstractItemModel::VerticalSortHint, [&] {
        // Stable, so rows that tie keep the order the previous sort gave them.
        if (order == Qt::AscendingOrder)
            std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return table.less(a, b, field); });
        else
            std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return table.less(b, a, field); });
        shown_.clear();
        for (int row : order_) {
            if (position_[std::size_t(row)] >= 0)
                shown_.push_back(row);
        }
    });
}

// The rows change as one layout change, so the view keeps its current row and selection on the trips
// that stay; what is hidden drops out of them.
template <typename Change> void TripFilterModel::relayout(QAbstractItemModel::LayoutChangeHint hint, Change change) {
    emit layoutAboutToBeChanged({}, hint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sourceRows;
    sourceRows.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before)
        sourceRows.push_back(shown_[std::size_t(index.row())]);
    change();
    std::fill(position_.begin(), position_.end(), -1);
    for (std::size_t i = 0; i < shown_.size(); ++i)
        position_[std::size_t(shown_[i])] = int(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = position_[std::size_t(sourceRows[std::size_t(i)])];
        after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, hint);
}

void TripFilterModel::setFilterText(const QString& text) {
    if (text == filterText_)
        return;
    std::string needle = TripTable::fold(text.toStdString());
    // Typing on narrows what is shown: only the rows still shown need a look.
    const bool narrowed = needle.find(needle_) != std::string::npos;
    filterText_ = text;
    needle_ = std::move(needle);
    applyFilter(narrowed);
}

void TripFilterModel::setDateRange(const QDate& from, const QDate& to) {
    const QDate newFrom = from.isValid() ? from : QDate();
    const QDate newTo = to.isValid() ? to : QDate();
    if (newFrom == from_ && newTo == to_)
        return;
    const bool narrowed = (!from_.isValid() || (newFrom.isValid() && newFrom >= from_)) &&
                          (!to_.isValid() || (newTo.isValid() && newTo <= to_));
    from_ = newFrom;
    to_ = newTo;
    applyFilter(narrowed);
}

bool TripFilterModel::accepts(int row) const {
    const TripTable& table = model_->table();
    if (from_.isValid() || to_.isValid()) {
        const QDate date = table.date(row);
        if (!date.isValid() || (from_.isValid() && date < from_) || (to_.isValid() && date > to_))
            return false;
    }
    return table.contains(row, needle_);
}

void TripFilterModel::applyFilter(bool narrowed) {
    if (!model_)
        return;
    relayout(QAbstractItemModel::NoLayoutChangeHint, [&] {
        const std::vector<int>& candidates = narrowed ? shown_ : order_;
        std::vector<int> kept;
        kept.reserve(candidates.size());
        for (int row : candidates) {
            if (accepts(row))
                kept.push_back(row);
        }
        shown_ = std::move(kept);
    });
    emit countChanged();
}

QString TripFilterModel::countText(const QLocale& locale) const {
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    const int total = totalCount();
    return QStringLiteral("%1 of %2 %3")
        .arg(grouped.toString(shownCount()), grouped.toString(total),
             total == 1 ? QStringLiteral("trip") : QStringLiteral("trips"));
}

QModelIndex TripFilterModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!model_ || !proxyIndex.isValid() || proxyIndex.row() >= shownCount())
        return QModelIndex();
    return model_->index(shown_[std::size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex TripFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!model_ || !sourceIndex.isValid() || std::size_t(sourceIndex.row()) >= position_.size())
        return QModelIndex();
    const int row = position_[std::size_t(sourceIndex.row())];
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex TripFilterModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= shownCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex TripFilterModel::parent(const QModelIndex&) const {
    return QModelIndex();
}

int TripFilterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCount();
}

int TripFilterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !model_ ? 0 : model_->columnCount();
}

QVariant TripFilterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!model_)
        return QVariant();
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    return model_->headerData(section, orientation, role);
}

QByteArray TripsToCsv(const TripFilterModel& list) {
    if (!list.tripModel())
        return TripsToCsv(TripTable(), {});
    return TripsToCsv(list.tripModel()->table(), list.shownRows());
}
