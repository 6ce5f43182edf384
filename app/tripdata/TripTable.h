#pragma once
// The stored trips as one table behind every trip list, report and export: read once from the
// library's record set into column arrays (no object per row).

#include "Recordset.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <array>
#include <cstddef>
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
