#include "reports/YearSummary.h"

#include "platform/Format.h"
#include "tripdata/TripDates.h"

#include <QLocale>
#include <QStringList>
#include <QVariantList>

#include <algorithm>
#include <set>

void SummaryTotals::add(const SummaryTrip& trip) {
    ++trips;
    miles += trip.miles;
    mileage += trip.mileage;
    for (std::size_t i = 0; i < expenses.size(); ++i)
        expenses[i] += trip.expenses[i];
    total += trip.total;
}

YearSummary SummarizeTrips(const SummaryTrips& trips, const QDate& from, const QDate& to) {
    YearSummary s;
    s.from = from;
    s.to = to;
    if (!from.isValid() || !to.isValid() || from > to)
        return s;
    const QDate first(from.year(), from.month(), 1);
    for (QDate month = first; month <= to; month = month.addMonths(1)) {
        SummaryTotals totals;
        totals.month = month;
        s.months.push_back(totals);
    }
    const auto monthIndex = [&first](const QDate& date) {
        return static_cast<std::size_t>((date.year() - first.year()) * 12 + date.month() - first.month());
    };

    std::vector<const SummaryTrip*> checked;
    for (const SummaryTrip& trip : trips) {
        if (!trip.date.isValid() || trip.date < from || trip.date > to)
            continue;
        s.months[monthIndex(trip.date)].add(trip);
        s.totals.add(trip);
        // A trip entered by its miles alone stores no readings (0): it tells nothing about continuity.
        if (trip.startOdometer.value_or(0) > 0 && trip.endOdometer.value_or(0) > 0)
            checked.push_back(&trip);
        else
            ++s.withoutOdometer;
    }

    std::stable_sort(checked.begin(), checked.end(), [](const SummaryTrip* a, const SummaryTrip* b) {
        if (a->date != b->date)
            return a->date < b->date;
        return *a->startOdometer < *b->startOdometer;
    });
    for (std::size_t i = 1; i < checked.size(); ++i) {
        const SummaryTrip& before = *checked[i - 1];
        const SummaryTrip& trip = *checked[i];
        if (*trip.startOdometer == *before.endOdometer)
            continue;
        ContinuityFinding f;
        f.kind = *trip.startOdometer < *before.endOdometer ? ContinuityFinding::Overlap : ContinuityFinding::Gap;
        f.previousTripId = before.tripId;
        f.previousDate = before.date;
        f.previousEnd = *before.endOdometer;
        f.tripId = trip.tripId;
        f.date = trip.date;
        f.start = *trip.startOdometer;
        if (f.kind == ContinuityFinding::Overlap) {
            ++s.overlaps;
            s.overlapMiles += f.miles();
        } else {
            ++s.gaps;
            s.gapMiles += f.miles();
        }
        s.findings.push_back(f);
    }
    return s;
}

std::vector<int> TripYears(const SummaryTrips& trips) {
    std::set<int> years;
    for (const SummaryTrip& trip : trips) {
        if (trip.date.isValid())
            years.insert(trip.date.year());
    }
    return std::vector<int>(years.rbegin(), years.rend());
}

QString PeriodText(const QDate& from, const QDate& to) {
    if (from.isValid() && to.isValid() && from.year() == to.year() && from == QDate(from.year(), 1, 1) &&
        to == QDate(to.year(), 12, 31))
        return QStringLiteral("Year %1").arg(from.year());
    return DateToText(from) + QStringLiteral(" to ") + DateToText(to);
}

namespace {
const QStringList& summaryColumns() {
    static const QStringList columns = {
        QStringLiteral("Section"),      QStringLiteral("Month"),       QStringLiteral("Trips"),
        QStringLiteral("Miles"),        QStringLiteral("Mileage"),     QStringLiteral("Fuel"),
        QStringLiteral("Parking"),      QStringLiteral("Meals"),       QStringLiteral("Motel"),
        QStringLiteral("Phone"),        QStringLiteral("Repairs"),     QStringLiteral("Towing"),
        QStringLiteral("Expense"),      QStringLiteral("TotalTrip"),   QStringLiteral("ChartLabels"),
        QStringLiteral("ChartValues"),  QStringLiteral("Kind"),        QStringLiteral("PreviousTripID"),
        QStringLiteral("PreviousDate"), QStringLiteral("PreviousEnd"), QStringLiteral("TripID"),
        QStringLiteral("StartDate"),    QStringLiteral("Start"),       QStringLiteral("Difference"),
        QStringLiteral("Text"),
    };
    return columns;
}

class RowMaker {
public:
    explicit RowMaker(ReportRows& rows) : rows_(rows) { rows_.columns = summaryColumns(); }
    std::vector<QVariant>& add(const QString& section) {
        rows_.rows.emplace_back(static_cast<std::size_t>(rows_.columns.size()));
        rows_.rows.back()[0] = section;
        return rows_.rows.back();
    }
    void set(std::vector<QVariant>& row, const QString& column, const QVariant& value) const {
        row[static_cast<std::size_t>(rows_.columnIndex(column))] = value;
    }

private:
    ReportRows& rows_;
};

void setTotals(const RowMaker& maker, std::vector<QVariant>& row, const SummaryTotals& t) {
    static const char* const expenseColumns[] = {"Fuel",  "Parking", "Meals",  "Motel",
                                                 "Phone", "Repairs", "Towing", "Expense"};
    maker.set(row, QStringLiteral("Trips"), t.trips);
    maker.set(row, QStringLiteral("Miles"), t.miles);
    maker.set(row, QStringLiteral("Mileage"), t.mileage);
    for (std::size_t i = 0; i < t.expenses.size(); ++i)
        maker.set(row, QString::fromLatin1(expenseColumns[i]), t.expenses[i]);
    maker.set(row, QStringLiteral("TotalTrip"), t.total);
}

QString milesText(std::int64_t miles) {
    return FormatNumber(static_cast<double>(miles), QStringLiteral("#,##0"));
}
} // namespace

std::shared_ptr<const ReportRows> SummaryReportRows(const YearSummary& s) {
    auto rows = std::make_shared<ReportRows>();
    RowMaker maker(*rows);
    const bool oneYear = !s.months.empty() && s.months.front().month.year() == s.months.back().month.year();

    maker.add(QStringLiteral("Heading"));
    QStringList labels;
    QVariantList values;
    for (const SummaryTotals& m : s.months) {
        auto& row = maker.add(QStringLiteral("Month"));
        maker.set(row, QStringLiteral("Month"), FormatDate(m.month, QStringLiteral("MMM yyyy")));
        setTotals(maker, row, m);
        labels << FormatDate(m.month, oneYear ? QStringLiteral("MMM") : QStringLiteral("MMM yyyy"));
        values << m.miles;
    }
    auto& totals = maker.add(QStringLiteral("Totals"));
    maker.set(totals, QStringLiteral("Month"), QStringLiteral("Totals"));
    setTotals(maker, totals, s.totals);

    auto& chart = maker.add(QStringLiteral("Chart"));
    maker.set(chart, QStringLiteral("ChartLabels"), labels);
    maker.set(chart, QStringLiteral("ChartValues"), values);

    maker.add(QStringLiteral("CheckHeading"));
    for (const ContinuityFinding& f : s.findings) {
        auto& row = maker.add(QStringLiteral("Finding"));
        maker.set(row, QStringLiteral("Kind"),
                  f.kind == ContinuityFinding::Overlap ? QStringLiteral("Overlap") : QStringLiteral("Gap"));
        maker.set(row, QStringLiteral("PreviousTripID"), f.previousTripId);
        maker.set(row, QStringLiteral("PreviousDate"), f.previousDate);
        maker.set(row, QStringLiteral("PreviousEnd"), static_cast<qlonglong>(f.previousEnd));
        maker.set(row, QStringLiteral("TripID"), f.tripId);
        maker.set(row, QStringLiteral("StartDate"), f.date);
        maker.set(row, QStringLiteral("Start"), static_cast<qlonglong>(f.start));
        maker.set(row, QStringLiteral("Difference"), static_cast<qlonglong>(f.miles()));
    }
    const auto note = [&maker](const QString& text) {
        maker.set(maker.add(QStringLiteral("Note")), QStringLiteral("Text"), text);
    };
    if (s.findings.empty())
        note(QStringLiteral("Every trip starts where the trip before it ended."));
    note(QStringLiteral("Overlaps (a start below the previous end): %1, %2 miles")
             .arg(s.overlaps)
             .arg(milesText(s.overlapMiles)));
    note(QStringLiteral("Gaps (miles between logged trips): %1, %2 miles").arg(s.gaps).arg(milesText(s.gapMiles)));
    if (s.withoutOdometer > 0)
        note(QStringLiteral("Trips without both odometer readings, not checked: %1").arg(s.withoutOdometer));
    return rows;
}
