#include "common/TripHistoryModel.h"

#include "tripdata/TripDates.h"

namespace {
struct ColumnLayout {
    const char* header;
    Qt::Alignment alignment;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

const ColumnLayout kColumns[TripHistoryModel::ColumnCount] = {
    {"When", kLeft},   {"What Happened", kLeft}, {"Trip ID", kLeft},
    {"Date", kCentre}, {"Destination", kLeft},   {"Total", kRight},
};

} // namespace

QDate HistoryDay(const QString& changeDate) {
    return TextToDate(changeDate.section(QLatin1Char(' '), 0, 0));
}

TripHistoryModel::TripHistoryModel(QObject* parent)
    : QAbstractTableModel(parent), table_(std::make_shared<TripTable>()),
      trips_(TripTableModel::Columns::SelectionList) {}

void TripHistoryModel::load(Recordset* rs) {
    beginResetModel();
    ids_.clear();
    types_.clear();
    dates_.clear();
    if (rs) {
        table_ = TripTable::fromRecordset(*rs);
        ids_.reserve(rs->RecordCount());
        for (rs->MoveFirst(); !rs->eof(); rs->MoveNext()) {
            ids_.push_back(rs->Fields("HistoryID").toInt64());
            types_.push_back(QString::fromStdString(rs->Fields("ChangeType").toString()));
            dates_.push_back(QString::fromStdString(rs->Fields("ChangeDate").toString()));
        }
    } else {
        table_ = std::make_shared<TripTable>();
    }
    trips_.setTable(table_);
    endResetModel();
}

int TripHistoryModel::countBefore(const QDate& day) const {
    int count = 0;
    for (const QString& date : dates_) {
        const QDate d = HistoryDay(date);
        if (d.isValid() && d < day)
            ++count;
    }
    return count;
}

QString TripHistoryModel::cellText(int row, int column, const QLocale& locale) const {
    switch (column) {
    case Changed:
        return changeDate(row);
    case Change:
        return changeType(row) == QLatin1String("deleted") ? QStringLiteral("Deleted") : QStringLiteral("Changed");
    case TripId:
        return tripCell(row, TripTable::TripId, locale);
    case Date:
        return tripCell(row, TripTable::Date, locale);
    case Destination:
        return tripCell(row, TripTable::Destination, locale);
    case Total:
        return tripCell(row, TripTable::Total, locale);
    default:
        return QString();
    }
}

QString TripHistoryModel::tripCell(int row, TripTable::Field field, const QLocale& locale) const {
    for (int column = 0; column < trips_.columnCount(); ++column) {
        if (trips_.field(column) == field)
            return trips_.cellText(row, column, locale);
    }
    return QString();
}

int TripHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->rowCount();
}

int TripHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TripHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::ToolTipRole: {
        const QString notes = table_->text(index.row(), TripTable::Notes);
        return notes.isEmpty() ? cellText(index.row(), index.column()) : notes;
    }
    case Qt::TextAlignmentRole:
        return int(kColumns[index.column()].alignment);
    default:
        return QVariant();
    }
}

QVariant TripHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kColumns[section].header);
    if (role == Qt::TextAlignmentRole)
        return int(kColumns[section].alignment);
    return QVariant();
}

Qt::ItemFlags TripHistoryModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
