#pragma once
// The trip table shown by a model with the column set of each list.

#include "tripdata/TripColumns.h"
#include "tripdata/TripTable.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <QString>

#include <memory>

class TripTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The trip editing window's sixteen columns, or the trip selection window's four.
    using Columns = TripColumnSet;
    enum Role { TripIdRole = Qt::UserRole + 1 };

    explicit TripTableModel(Columns columns, QObject* parent = nullptr);

    void setTable(std::shared_ptr<const TripTable> table);
    const TripTable& table() const { return *table_; }
    std::shared_ptr<const TripTable> sharedTable() const { return table_; }
    Columns columnSet() const { return columns_; }
    TripTable::Field field(int column) const;
    // The design width of a column in pixels.
    int columnWidth(int column) const;
    // The text a cell shows: one line, in the list's format and the locale's symbols.
    QString cellText(int row, int column, const QLocale& locale = QLocale()) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    Columns columns_;
    std::shared_ptr<const TripTable> table_;
};
