#pragma once
// The trip history as a list: the entries of LoadHistory, newest first, in the trip lists' formats.

#include "common/TripTableModel.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class TripHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Changed, Change, TripId, Date, Destination, Total, ColumnCount };

    explicit TripHistoryModel(QObject* parent = nullptr);

    // Every row of a LoadHistory record set, in its order (null: no history).
    void load(Recordset* rs);

    const TripTable& table() const { return *table_; }
    std::int64_t historyId(int row) const { return ids_[std::size_t(row)]; }
    QString changeType(int row) const { return types_[std::size_t(row)]; }
    QString changeDate(int row) const { return dates_[std::size_t(row)]; }
    QString tripId(int row) const { return table_->text(row, TripTable::TripId); }
    // How many entries were made before day.
    int countBefore(const QDate& day) const;

    QString cellText(int row, int column, const QLocale& locale = QLocale()) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString tripCell(int row, TripTable::Field field, const QLocale& locale) const;

    std::shared_ptr<const TripTable> table_;
    // The trip selection list's columns over the same table: Trip ID, date, destination and total show
    // exactly as the trip lists show them.
    TripTableModel trips_;
    std::vector<std::int64_t> ids_;
    std::vector<QString> types_;
    std::vector<QString> dates_;
};

// The day of an entry's date text (M/d/yyyy, then the time), or an invalid date.
QDate HistoryDay(const QString& changeDate);
