#include "common/TripTableModel.h"

#include "platform/Format.h"
#include "tripdata/TripDates.h"

#include <cmath>

namespace {

// A list cell is one line: each line break (CR LF, CR, LF and the Unicode separators) shows as a blank.
QString oneLine(QString text) {
    if (text.contains(QLatin1Char('\r')))
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
    for (const QChar c : {QChar('\n'), QChar(0x2028), QChar(0x2029), QChar(0x0B), QChar(0x0C), QChar(0x85)})
        text.replace(c, QLatin1Char(' '));
    return text;
}

} // namespace

TripTableModel::TripTableModel(Columns columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns), table_(std::make_shared<TripTable>()) {}

void TripTableModel::setTable(std::shared_ptr<const TripTable> table) {
    beginResetModel();
    table_ = table ? std::move(table) : std::make_shared<TripTable>();
    endResetModel();
}

TripTable::Field TripTableModel::field(int column) const {
    const std::vector<TripListColumn>& layout = TripColumnLayout(columns_);
    return column >= 0 && column < int(layout.size()) ? layout[std::size_t(column)].field : TripTable::TripId;
}

int TripTableModel::columnWidth(int column) const {
    const std::vector<TripListColumn>& layout = TripColumnLayout(columns_);
    return column >= 0 && column < int(layout.size()) ? layout[std::size_t(column)].width : 0;
}

QString TripTableModel::cellText(int row, int column, const QLocale& locale) const {
    const TripTable& t = *table_;
    const TripTable::Field f = field(column);
    switch (f) {
    case TripTable::TripId:
    case TripTable::Destination:
        return oneLine(t.text(row, f));
    case TripTable::Notes:
        return oneLine(t.text(row, f));
    case TripTable::Date: {
        const QDate date = t.date(row);
        if (date.isValid())
            return DateToText(date);
        const QString stored = oneLine(t.text(row, f));
        return columns_ == Columns::SelectionList ? stored.trimmed() : stored;
    }
    default:
        break;
    }
    const std::optional<double> value = t.number(row, f);
    if (!value)
        return QString();
    if (TripTable::isWhole(f))
        return QString::number(static_cast<qint64>(std::llround(*value)));
    if (f == TripTable::Rate)
        return FormatNumber(*value, QStringLiteral("##0.#0"), locale);
    if (columns_ == Columns::SelectionList)
        return FormatNumber(*value, QStringLiteral("###,##0.#0"), locale);
    return FormatNumber(*value, QStringLiteral("#,##0.#0"), locale);
}

int TripTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->rowCount();
}

int TripTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(TripColumnLayout(columns_).size());
}

QVariant TripTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= table_->rowCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::ToolTipRole:
        // The whole text, line breaks and all, where the cell shows one line.
        return field(index.column()) == TripTable::Notes ? table_->text(index.row(), TripTable::Notes)
                                                         : cellText(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const std::vector<TripListColumn>& layout = TripColumnLayout(columns_);
        return index.column() < int(layout.size()) ? QVariant(int(layout[std::size_t(index.column())].alignment))
                                                   : QVariant();
    }
    case TripIdRole:
        return table_->text(index.row(), TripTable::TripId);
    default:
        return QVariant();
    }
}

QVariant TripTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const std::vector<TripListColumn>& layout = TripColumnLayout(columns_);
    if (orientation != Qt::Horizontal || section < 0 || section >= int(layout.size()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(layout[std::size_t(section)].header);
    if (role == Qt::TextAlignmentRole)
        return int(layout[std::size_t(section)].alignment);
    return QVariant();
}

Qt::ItemFlags TripTableModel::flags(const QModelIndex& index) const {
    // Rows can be chosen but never edited in place.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
