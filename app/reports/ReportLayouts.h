#pragma once
// The designed layouts of the two reports, as data: every section and control with its name,
// position and size in twips, caption or data field, display format and alignment.

#include "reports/ReportEngine.h"

// The trip list: one line per trip on landscape letter pages.
ReportDefinition TripListLayout();
// The trip expense report: one trip on a portrait letter page.
ReportDefinition TripReportLayout();
// The year summary of a period ("Year 2025"): a line per month with a totals line, the chart of miles
// per month and the odometer continuity check, on portrait letter pages; its rows name their sections.
ReportDefinition YearSummaryLayout(const QString& period);

// The page footer's product line and the maker's web address.
extern const char* const kProductLine;
extern const char* const kMakerAddress;
