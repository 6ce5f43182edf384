#pragma once
// The designed layouts of the two reports, as data: every section and control with its name,
// position and size in twips, caption or data field, display format and alignment.

#include "reports/ReportEngine.h"

// The trip list: one line per trip on landscape letter pages.
ReportDefinition TripListLayout();
// The trip expense report: one trip on a portrait letter page.
ReportDefinition TripReportLayout();

// The page footer's product line and the maker's web address.
extern const char* const kProductLine;
extern const char* const kMakerAddress;
