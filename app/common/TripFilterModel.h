#pragma once
// The order and filter of a trip list, over the trip model.

#include "common/TripTableModel.h"

#include <QAbstractProxyModel>
#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QPointer>
#include <QString>

#include <string>
#include <vector>

// Sorting and filtering for the trip lists. Its own proxy rather than QSortFilterProxyModel: the rows
// never change under it, so one stable sort of row numbers and one pass per filter change are enough.
class TripFilterModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit TripFilterModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* source) override;
    TripTableModel* tripModel() const { return model_; }

    // A header click: the direction flips at every click, whichever column; a new list starts
    // ascending, so the first click sorts descending. The direction outlives a refill of the list.
    void sortByClick(int column);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // Rows whose Trip ID, destination or notes contain the text (case and accents ignored) and whose
    // date lies in the range; an empty text or an invalid bound leaves that side open.
    void setFilterText(const QString& text);
    void setDateRange(const QDate& from, const QDate& to);
    QString filterText() const { return filterText_; }

    int shownCount() const { return static_cast<int>(shown_.size()); }
    int totalCount() const { return model_ ? model_->table().rowCount() : 0; }
    // "12 of 4,311 trips".
    QString countText(const QLocale& locale = QLocale()) const;
    // Table rows in the order shown.
    const std::vector<int>& shownRows() const { return shown_; }

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void countChanged();

private:
    void sourceReset();
    void applyFilter(bool narrowed);
    template <typename Change> void relayout(QAbstractItemModel::LayoutChangeHint hint, Change change);
    bool accepts(int row) const;

    QPointer<TripTableModel> model_;
    std::vector<int> order_;    // every table row, sorted
    std::vector<int> shown_;    // the rows of order_ the filter keeps
    std::vector<int> position_; // shown_ position of each table row, -1 when hidden
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QString filterText_;
    std::string needle_;
    QDate from_;
    QDate to_;
};

// The rows a list shows, in its current sort and filter, as CSV.
QByteArray TripsToCsv(const TripFilterModel& list);
