#pragma once
// The year summary without widgets: the stored trips of a period added up by month, the period's
// totals, and the odometer continuity check; then the rows the summary report lays out.

#include "reports/ReportEngine.h"

#include <QDate>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// What the summary reads of a stored trip: the values as stored, never recomputed.
struct SummaryTrip {
    QString tripId;
    QDate date; // invalid when the stored text is no date
    std::optional<std::int64_t> startOdometer;
    std::optional<std::int64_t> endOdometer;
    double miles = 0;
    double mileage = 0;
    std::array<double, 8> expenses{}; // fuel, parking, meals, lodging, telephone, repairs, towing, misc.
    double total = 0;
};
using SummaryTrips = std::vector<SummaryTrip>;

// The sums of a month, or of the whole period.
struct SummaryTotals {
    QDate month; // the first day of the month; invalid for the period's totals
    int trips = 0;
    double miles = 0;
    double mileage = 0;
    std::array<double, 8> expenses{};
    double total = 0;
    void add(const SummaryTrip& trip);
};

// One place where a trip does not start where the trip before it ended.
struct ContinuityFinding {
    enum Kind { Overlap, Gap };
    Kind kind = Gap;
    QString previousTripId;
    QDate previousDate;
    std::int64_t previousEnd = 0;
    QString tripId;
    QDate date;
    std::int64_t start = 0;
    std::int64_t miles() const { return start > previousEnd ? start - previousEnd : previousEnd - start; }
};

struct YearSummary {
    QDate from;
    QDate to;
    std::vector<SummaryTotals> months; // every month the period touches, trips or not
    SummaryTotals totals;
    std::vector<ContinuityFinding> findings; // in date order
    int overlaps = 0;
    std::int64_t overlapMiles = 0;
    int gaps = 0;
    std::int64_t gapMiles = 0;
    int withoutOdometer = 0; // trips of the period left out of the check: a reading is missing or 0
};

// Adds up the trips dated from..to (both included). Continuity: the trips with both readings, by date,
// then start reading, then stored order; each start is compared with the end of the trip before it.
YearSummary SummarizeTrips(const SummaryTrips& trips, const QDate& from, const QDate& to);
// The calendar years that have trips, newest first.
std::vector<int> TripYears(const SummaryTrips& trips);
// "Year 2025" for a whole calendar year, otherwise "3/15/2025 to 6/30/2025".
QString PeriodText(const QDate& from, const QDate& to);

// The rows of the summary report: each names the section that lays it out (column "Section").
std::shared_ptr<const ReportRows> SummaryReportRows(const YearSummary& summary);
