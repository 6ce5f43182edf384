#pragma once
// The stored trips as one table behind every trip list, report and export: read once from the
// library's record set into column arrays (no object per row), shown by a model with the column set
// of each list, and ordered and filtered by a proxy that keeps its own row order.

#include "Recordset.h"

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QDate>
#include <QLocale>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TripTable {
public:
    // The values of a trip, in the order of the CSV export.
    enum Field : int {
        TripId,
        Date,
        Destination,
        StartOdometer,
        EndOdometer,
        Miles,
        Rate,
        Mileage,
        Fuel,
        Parking,
        Meals,
        Lodging,
        Phone,
        Repairs,
        Towing,
        Misc,
        Total,
        Notes,
    };
    static constexpr int kFieldCount = Notes + 1;

    TripTable() = default;
    // Every row of a LoadTrip record set, in its order; leaves the record set at its end.
    static std::shared_ptr<TripTable> fromRecordset(Recordset& rs);

    int rowCount() const { return rows_; }
    static bool isText(Field field) { return field == TripId || field == Destination || field == Notes; }
    static bool isWhole(Field field) { return field == StartOdometer || field == EndOdometer || field == Miles; }

    // Trip ID, destination and notes as stored (UTF-8), and the date as its stored text.
    std::string_view utf8(int row, Field field) const;
    QString text(int row, Field field) const { return QString::fromUtf8(toByteView(utf8(row, field))); }
    QDate date(int row) const;
    // Null cells have no value.
    std::optional<double> number(int row, Field field) const;

    // Row order for a field: dates as dates, numbers by value, empty and unreadable cells first, texts
    // without regard to case.
    bool less(int a, int b, Field field) const;

    // Case and accents removed, line breaks as blanks: the form the filter compares.
    static std::string fold(std::string_view utf8);
    // Whether Trip ID, destination or notes contain an already folded needle.
    bool contains(int row, std::string_view foldedNeedle) const;
    // Makes the search texts now (a window can do it once its list is shown) instead of on the first search.
    void prepareSearch() const { buildFolded(); }

private:
    static QByteArrayView toByteView(std::string_view s) { return QByteArrayView(s.data(), qsizetype(s.size())); }
    static constexpr int kTexts = 4; // Trip ID, destination, notes, date text
    static int textSlot(Field field);
    static int numberSlot(Field field);
    static void foldInto(std::string& out, std::string_view utf8);
    void buildFolded() const;

    int rows_ = 0;
    std::string pool_;                            // every text, back to back
    std::vector<std::size_t> offsets_;            // kTexts per row, and one past the end
    std::vector<std::int32_t> julian_;            // kNoDate where the stored text is no date
    std::array<std::vector<double>, 14> numbers_; // NaN for null
    mutable std::string folded_;                  // the searchable texts, made on the first search
    mutable std::vector<std::size_t> foldedOffsets_;
};

class TripTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The trip editing window's sixteen columns, or the trip selection window's four.
    enum class Columns { EditList, SelectionList };
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
