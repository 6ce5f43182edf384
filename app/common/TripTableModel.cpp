#include "common/TripTableModel.h"

#include "platform/Format.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr std::int32_t kNoDate = INT32_MIN;

// The record set's column of each field.
const char* const kColumnNames[TripTable::kFieldCount] = {
    "TripID",  "StartDate", "Destination", "StartOdometer", "EndOdometer", "Miles",  "Rate",    "Mileage",   "Fuel",
    "Parking", "Meals",     "Motel",       "Phone",         "Repairs",     "Towing", "Expense", "TotalTrip", "Notes"};

struct ColumnLayout {
    TripTable::Field field;
    const char* header;
    Qt::Alignment alignment;
    int width;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

const ColumnLayout kEditColumns[] = {
    {TripTable::TripId, "Trip ID", kLeft, 60},
    {TripTable::Date, "Date", kCentre, 80},
    {TripTable::Destination, "Destination", kLeft, 160},
    {TripTable::Rate, "Rate", kRight, 50},
    {TripTable::StartOdometer, "Start Miles", kCentre, 75},
    {TripTable::EndOdometer, "End Miles", kCentre, 75},
    {TripTable::Miles, "Total Miles", kCentre, 75},
    {TripTable::Fuel, "Fuel", kRight, 70},
    {TripTable::Parking, "Parking", kRight, 70},
    {TripTable::Meals, "Meals", kRight, 70},
    {TripTable::Lodging, "Lodging", kRight, 70},
    {TripTable::Phone, "Phone", kRight, 70},
    {TripTable::Repairs, "Repairs", kRight, 70},
    {TripTable::Towing, "Towing", kRight, 70},
    {TripTable::Misc, "Misc. Exp", kRight, 70},
    {TripTable::Notes, "Notes", kLeft, 200},
};

// Design widths of the selection window are twips, 15 to a pixel.
const ColumnLayout kSelectionColumns[] = {
    {TripTable::TripId, "Trip #", kLeft, 1000 / 15},
    {TripTable::Date, "Date", kCentre, 1500 / 15},
    {TripTable::Destination, "Destination", kCentre, 2500 / 15},
    {TripTable::Total, "Total", kRight, 1200 / 15},
};

const ColumnLayout* layouts(TripTableModel::Columns columns, int* count) {
    if (columns == TripTableModel::Columns::SelectionList) {
        *count = int(std::size(kSelectionColumns));
        return kSelectionColumns;
    }
    *count = int(std::size(kEditColumns));
    return kEditColumns;
}

bool isAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// QString's case-insensitive order, without making QStrings while both texts are ASCII.
int compareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char ca = a[i];
        const char cb = b[i];
        if ((static_cast<unsigned char>(ca) | static_cast<unsigned char>(cb)) >= 0x80) {
            const QString ra = QString::fromUtf8(a.data() + i, qsizetype(a.size() - i));
            const QString rb = QString::fromUtf8(b.data() + i, qsizetype(b.size() - i));
            return QString::compare(ra, rb, Qt::CaseInsensitive);
        }
        const char la = asciiLower(ca);
        const char lb = asciiLower(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The stored date forms M/d/yyyy read without a regular expression; anything else goes to TextToDate.
std::int32_t julianOf(std::string_view s) {
    int part[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int k = 0;
    for (const char c : s) {
        if (c >= '0' && c <= '9') {
            part[k] = part[k] * 10 + (c - '0');
            if (++digits[k] > 4)
                break;
        } else if (c == '/' && k < 2) {
            ++k;
        } else {
            k = -1;
            break;
        }
    }
    QDate date;
    if (k == 2 && digits[0] >= 1 && digits[0] <= 2 && digits[1] >= 1 && digits[1] <= 2 && digits[2] == 4)
        date = QDate(part[2], part[0], part[1]);
    else if (!s.empty())
        date = TextToDate(QString::fromUtf8(s.data(), qsizetype(s.size())));
    return date.isValid() ? static_cast<std::int32_t>(date.toJulianDay()) : kNoDate;
}

// A list cell is one line: each line break (CR LF, CR, LF and the Unicode separators) shows as a blank.
QString oneLine(QString text) {
    if (text.contains(QLatin1Char('\r')))
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
    for (const QChar c : {QChar('\n'), QChar(0x2028), QChar(0x2029), QChar(0x0B), QChar(0x0C), QChar(0x85)})
        text.replace(c, QLatin1Char(' '));
    return text;
}

} // namespace

int TripTable::textSlot(Field field) {
    switch (field) {
    case TripId:
        return 0;
    case Destination:
        return 1;
    case Notes:
        return 2;
    default:
        return 3; // the date text
    }
}

int TripTable::numberSlot(Field field) {
    return field - StartOdometer;
}

std::shared_ptr<TripTable> TripTable::fromRecordset(Recordset& rs) {
    auto table = std::make_shared<TripTable>();
    TripTable& t = *table;
    const std::size_t count = rs.RecordCount();
    t.rows_ = static_cast<int>(count);
    t.offsets_.reserve(count * kTexts + 1);
    t.julian_.reserve(count);
    for (auto& column : t.numbers_)
        column.reserve(count);
    // Column positions once, not a name search per cell.
    const std::vector<std::string>& names = rs.columnNames();
    std::array<int, kFieldCount> at{};
    for (int f = 0; f < kFieldCount; ++f) {
        at[std::size_t(f)] = -1;
        for (std::size_t c = 0; c < names.size(); ++c) {
            if (QString::fromStdString(names[c]).compare(QLatin1String(kColumnNames[f]), Qt::CaseInsensitive) == 0) {
                at[std::size_t(f)] = int(c);
                break;
            }
        }
    }
    static const Value null;
    const auto value = [&rs, &at](Field f) -> const Value& {
        const int column = at[std::size_t(f)];
        const Value* v = column < 0 ? nullptr : rs.fieldAt(std::size_t(column));
        return v ? *v : null;
    };
    // The texts' size first, so the pool is allocated once at its size.
    std::size_t bytes = 0;
    for (rs.MoveFirst(); !rs.eof(); rs.MoveNext()) {
        for (Field f : {TripId, Destination, Notes, Date}) {
            const Value& v = value(f);
            bytes += v.type() == Value::Type::Text ? v.textView().size() : 24;
        }
    }
    t.pool_.reserve(bytes);
    for (rs.MoveFirst(); !rs.eof(); rs.MoveNext()) {
        for (Field f : {TripId, Destination, Notes, Date}) {
            t.offsets_.push_back(t.pool_.size());
            const Value& v = value(f);
            if (v.type() == Value::Type::Text)
                t.pool_ += v.textView();
            else if (!v.isNull())
                t.pool_ += v.toString();
        }
        const std::size_t dateAt = t.offsets_.back();
        t.julian_.push_back(julianOf(std::string_view(t.pool_).substr(dateAt)));
        for (int f = StartOdometer; f <= Total; ++f) {
            const Value& v = value(Field(f));
            t.numbers_[std::size_t(numberSlot(Field(f)))].push_back(v.isNull() ? std::nan("") : v.toDouble());
        }
    }
    t.offsets_.push_back(t.pool_.size());
    return table;
}

std::string_view TripTable::utf8(int row, Field field) const {
    if (row < 0 || row >= rows_)
        return {};
    const std::size_t slot = std::size_t(row) * kTexts + std::size_t(textSlot(field));
    return std::string_view(pool_).substr(offsets_[slot], offsets_[slot + 1] - offsets_[slot]);
}

QDate TripTable::date(int row) const {
    if (row < 0 || row >= rows_ || julian_[std::size_t(row)] == kNoDate)
        return QDate();
    return QDate::fromJulianDay(julian_[std::size_t(row)]);
}

std::optional<double> TripTable::number(int row, Field field) const {
    if (row < 0 || row >= rows_ || field < StartOdometer || field > Total)
        return std::nullopt;
    const double v = numbers_[std::size_t(numberSlot(field))][std::size_t(row)];
    if (std::isnan(v))
        return std::nullopt;
    return v;
}

bool TripTable::less(int a, int b, Field field) const {
    if (isText(field))
        return compareText(utf8(a, field), utf8(b, field)) < 0;
    if (field == Date) {
        const std::int32_t ja = julian_[std::size_t(a)];
        const std::int32_t jb = julian_[std::size_t(b)];
        if (ja != kNoDate && jb != kNoDate)
            return ja < jb;
        if ((ja == kNoDate) != (jb == kNoDate))
            return ja == kNoDate; // unreadable dates first
        return compareText(utf8(a, Date), utf8(b, Date)) < 0;
    }
    const std::vector<double>& column = numbers_[std::size_t(numberSlot(field))];
    const double va = column[std::size_t(a)];
    const double vb = column[std::size_t(b)];
    if (std::isnan(va) || std::isnan(vb))
        return std::isnan(va) && !std::isnan(vb); // empty cells first
    return va < vb;
}

std::string TripTable::fold(std::string_view utf8) {
    std::string out;
    foldInto(out, utf8);
    return out;
}

void TripTable::foldInto(std::string& out, std::string_view utf8) {
    if (isAscii(utf8)) {
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')
                continue; // CR LF is one line break, one blank
            out += (c == '\r' || c == '\n' || c == '\v' || c == '\f') ? ' ' : asciiLower(c);
        }
        return;
    }
    QString decomposed = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    decomposed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decomposed = decomposed.normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        kept += (category == QChar::Separator_Line || category == QChar::Separator_Paragraph || c == QChar(0x85) ||
                 c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\v') || c == QLatin1Char('\f'))
                    ? QChar(' ')
                    : c;
    }
    // Qt folds one character to one; the sharp s is the common case that folds to two.
    out += kept.toCaseFolded().replace(QChar(0x00DF), QStringLiteral("ss")).toStdString();
}

void TripTable::buildFolded() const {
    if (foldedOffsets_.size() == std::size_t(rows_) * 3 + 1)
        return;
    folded_.clear();
    folded_.reserve(pool_.size());
    foldedOffsets_.clear();
    foldedOffsets_.reserve(std::size_t(rows_) * 3 + 1);
    for (int row = 0; row < rows_; ++row) {
        for (Field f : {TripId, Destination, Notes}) {
            foldedOffsets_.push_back(folded_.size());
            const std::string_view s = utf8(row, f);
            foldInto(folded_, s);
        }
    }
    foldedOffsets_.push_back(folded_.size());
}

bool TripTable::contains(int row, std::string_view foldedNeedle) const {
    if (foldedNeedle.empty())
        return true;
    buildFolded();
    // Each field on its own, so that a match never spans two of them.
    const std::size_t first = std::size_t(row) * 3;
    for (std::size_t slot = first; slot < first + 3; ++slot) {
        const std::string_view field =
            std::string_view(folded_).substr(foldedOffsets_[slot], foldedOffsets_[slot + 1] - foldedOffsets_[slot]);
        if (field.find(foldedNeedle) != std::string_view::npos)
            return true;
    }
    return false;
}

TripTableModel::TripTableModel(Columns columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns), table_(std::make_shared<TripTable>()) {}

void TripTableModel::setTable(std::shared_ptr<const TripTable> table) {
    beginResetModel();
    table_ = table ? std::move(table) : std::make_shared<TripTable>();
    endResetModel();
}

TripTable::Field TripTableModel::field(int column) const {
    int count = 0;
    const ColumnLayout* layout = layouts(columns_, &count);
    return column >= 0 && column < count ? layout[column].field : TripTable::TripId;
}

int TripTableModel::columnWidth(int column) const {
    int count = 0;
    const ColumnLayout* layout = layouts(columns_, &count);
    return column >= 0 && column < count ? layout[column].width : 0;
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
    int count = 0;
    layouts(columns_, &count);
    return parent.isValid() ? 0 : count;
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
        int count = 0;
        const ColumnLayout* layout = layouts(columns_, &count);
        return index.column() < count ? QVariant(int(layout[index.column()].alignment)) : QVariant();
    }
    case TripIdRole:
        return table_->text(index.row(), TripTable::TripId);
    default:
        return QVariant();
    }
}

QVariant TripTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    int count = 0;
    const ColumnLayout* layout = layouts(columns_, &count);
    if (orientation != Qt::Horizontal || section < 0 || section >= count)
        return QVariant();
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(layout[section].header);
    if (role == Qt::TextAlignmentRole)
        return int(layout[section].alignment);
    return QVariant();
}

Qt::ItemFlags TripTableModel::flags(const QModelIndex& index) const {
    // Rows can be chosen but never edited in place.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

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
