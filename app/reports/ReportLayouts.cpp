#include "reports/ReportLayouts.h"

#include <array>

const char* const kProductLine = "Wendlo v3.0";
const char* const kMakerAddress = "www.quorvale.example";

namespace {
constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight;
const QString kMoney = QStringLiteral("\"$\"#,##0.00");

// The first two lines of a page header: 12 and 14.25 point bold.
ReportControl FirstTitle(const QString& name, const QString& caption, int left, int top, int width) {
    return Bold(Label(name, caption, left, top, width, kCentre, 360), 12);
}
ReportControl SecondTitle(const QString& name, const QString& caption, int left, int top, int width) {
    return Bold(Label(name, caption, left, top, width, kCentre, 420), 14.25);
}

struct TripColumn {
    int left;
    const char* heading;
    const char* headingName;
    const char* textBox;
    const char* field;
    const char* format;
    Qt::Alignment alignment;
};

// The trip list's columns, left to right; each runs to the next column's left edge, the last to 14400.
const std::array<TripColumn, 16> kTripColumns = {{
    {144, "Trip ID", "Label10", "txtTripID", "TripID", "", kCentre},
    {1008, "Destination", "Label11", "txtDestination", "Destination", "", kCentre},
    {3168, "Date", "Label12", "txtStartDate", "StartDate", "M/d/yyyy", kCentre},
    {4176, "Start", "Label13", "txtStartOdometer", "StartOdometer", "0", kCentre},
    {5040, "End", "Label14", "txtEndOdometer", "EndOdometer", "0", kCentre},
    {5904, "Miles", "Label25", "txtMiles", "Miles", "0", kCentre},
    {6768, "Mileage", "Label15", "txtRate", "Mileage", "0.00", kRight},
    {7632, "Fuel", "Label16", "txtFuel", "Fuel", "0.00", kRight},
    {8352, "Meals", "Label17", "txtMeals", "Meals", "0.00", kRight},
    {9072, "Lodging", "Label18", "txtMotel", "Motel", "0.00", kRight},
    {9792, "Parking", "Label19", "txtParking", "Parking", "0.00", kRight},
    {10512, "Repairs", "Label20", "txtRepairs", "Repairs", "0.00", kRight},
    {11232, "Towing", "Label21", "txtTowing", "Towing", "0.00", kRight},
    {11952, "Misc", "Label23", "txtExpense", "Expense", "0.00", kRight},
    {12672, "Phone", "Label22", "txtPhone", "Phone", "0.00", kRight},
    {13392, "Total", "Label24", "txtTotalTrip", "TotalTrip", "\"$\"#,##0.00", kRight},
}};
constexpr int kTripListRight = 14400;

struct Pair {
    int captionLeft;
    int valueLeft;
    int valueWidth;
    int top;
    const char* caption;
    const char* label;
    const char* textBox;
    const char* field;
    QString format;
    Qt::Alignment alignment;
};
} // namespace

ReportDefinition TripListLayout() {
    ReportDefinition r;
    r.name = QStringLiteral("rptTrips");
    r.documentName = QStringLiteral("Trips");
    r.reportWidth = 14595;
    r.orientation = QPageLayout::Landscape;
    r.reportHeader.name = QStringLiteral("Section4");
    r.reportFooter.name = QStringLiteral("Section5");

    ReportSection& header = r.pageHeader;
    header.name = QStringLiteral("Section2");
    header.height = 1890;
    header.controls = {
        FirstTitle("Label8", "%i", 4417, 0, 5760),
        SecondTitle("Label7", "Trip Records", 4777, 720, 5040),
        Label("Label9", "%d", 12960, 1152, 1440, kRight),
        HLine("Line2", 144, 14394, 1440),
        HLine("Line3", 144, 14394, 1872),
    };

    ReportSection& detail = r.detail;
    detail.name = QStringLiteral("Section1");
    detail.height = 450;

    for (std::size_t i = 0; i < kTripColumns.size(); ++i) {
        const TripColumn& c = kTripColumns[i];
        const int right = i + 1 < kTripColumns.size() ? kTripColumns[i + 1].left : kTripListRight;
        header.controls.push_back(Label(c.headingName, c.heading, c.left, 1584, right - c.left, kCentre));
        detail.controls.push_back(TextBox(c.textBox, c.field, c.format, c.left, 144, right - c.left, c.alignment));
    }
    // Column rules: Line4 to Line19 and Line37 in the header, Line20 to Line35 and Line38 in the detail.
    for (std::size_t i = 0; i < kTripColumns.size(); ++i) {
        const int n = static_cast<int>(i);
        header.controls.push_back(VLine(QStringLiteral("Line%1").arg(4 + n), kTripColumns[i].left, 1440, 1875));
        detail.controls.push_back(VLine(QStringLiteral("Line%1").arg(20 + n), kTripColumns[i].left, 0, 450));
    }
    header.controls.push_back(VLine("Line37", kTripListRight, 1440, 1875));
    detail.controls.push_back(VLine("Line38", kTripListRight, 0, 450));
    detail.controls.push_back(HLine("Line36", 144, kTripListRight, 432));

    ReportSection& footer = r.pageFooter;
    footer.name = QStringLiteral("Section3");
    footer.height = 450;
    footer.controls = {
        // One line of words, so that a page number of any length keeps a blank either side.
        InRun(Label("Label2", "Page", 144, 144, 432, kLeft), 1),
        InRun(Label("Label3", "%p", 576, 144, 288, kCentre), 1),
        InRun(Label("Label4", "of", 864, 144, 288, kCentre), 1),
        InRun(Label("Label5", "%P", 1152, 144, 576, kLeft), 1),
        Label("Label1", kProductLine, 5715, 144, 3165, kCentre),
        Label("Label6", kMakerAddress, 12528, 144, 1875, kRight),
        HLine("Line1", 144, 14394, 432),
    };
    return r;
}

ReportDefinition TripReportLayout() {
    ReportDefinition r;
    r.name = QStringLiteral("rptReport");
    r.documentName = QStringLiteral("Trip Report");
    r.reportWidth = 10620;
    r.orientation = QPageLayout::Portrait;
    r.reportHeader.name = QStringLiteral("Section4");
    r.reportFooter.name = QStringLiteral("Section5");

    ReportSection& header = r.pageHeader;
    header.name = QStringLiteral("Section2");
    header.height = 1740;
    header.controls = {
        FirstTitle("Label22", "Trip Expense Report", 2790, 0, 5040),
        SecondTitle("Label23", "%i", 2430, 576, 5760),
        Label("Label24", "%D", 2790, 1440, 5040, kCentre),
        HLine("Line10", 144, 10359, 1728),
    };

    ReportSection& detail = r.detail;
    detail.name = QStringLiteral("Section1");
    detail.height = 11520;
    // Three blocks of caption and value: left at 144/1584, middle at 5760/6624, right at 8640/9504.
    const Pair pairs[] = {
        {144, 1584, 1440, 144, "Trip ID Number", "Label1", "txtTripID", "TripID", "", kLeft},
        {144, 1584, 4032, 576, "Destination", "Label2", "txtDestination", "Destination", "", kLeft},
        {144, 1584, 1440, 1008, "Date", "Label3", "txtStartDate", "StartDate", "M/d/yyyy", kLeft},
        {144, 1584, 1440, 1440, "Odometer End", "Label4", "txtEndOdometer", "EndOdometer", "0", kLeft},
        {144, 1584, 1440, 1872, "Odometer Start", "Label5", "txtStartOdometer", "StartOdometer", "0", kLeft},
        {144, 1584, 1440, 2304, "Total Miles", "Label9", "txtMiles", "Miles", "0", kLeft},
        {5760, 6624, 1440, 144, "Rate", "Label6", "txtRate", "Rate", "0.000", kRight},
        {5760, 6624, 1440, 576, "Mileage", "Label28", "txtGrandTotal", "Mileage", kMoney, kRight},
        {5760, 6624, 1440, 1008, "Fuel", "Label7", "txtFuel", "Fuel", kMoney, kRight},
        {5760, 6624, 1440, 1440, "Meals", "Label8", "txtMeals", "Meals", kMoney, kRight},
        {5760, 6624, 1440, 1872, "Lodging", "Label10", "txtMotel", "Motel", kMoney, kRight},
        {5760, 6624, 1440, 2304, "Parking", "Label11", "txtParking", "Parking", kMoney, kRight},
        {8640, 9504, 867, 144, "Repairs", "Label12", "txtRepairs", "Repairs", kMoney, kRight},
        {8640, 9504, 867, 576, "Towing", "Label13", "txtTowing", "Towing", kMoney, kRight},
        {8640, 9504, 867, 1008, "Phone", "Label14", "txtPhone", "Phone", kMoney, kRight},
        {8640, 9504, 867, 1440, "Misc. Exp.", "Label15", "txtExpense", "Expense", kMoney, kRight},
        {8640, 9216, 1155, 2304, "Total", "Label16", "txtTotalTrip", "TotalTrip", kMoney, kRight},
    };
    for (const Pair& p : pairs) {
        detail.controls.push_back(Label(p.label, p.caption, p.captionLeft, p.top, p.valueLeft - p.captionLeft, kLeft));
        detail.controls.push_back(TextBox(p.textBox, p.field, p.format, p.valueLeft, p.top, p.valueWidth, p.alignment));
    }
    // The notes box, its frame and the notes cut off at the box's bottom.
    detail.controls.push_back(HLine("Line5", 144, 10359, 2592));
    detail.controls.push_back(VLine("Line7", 144, 2592, 4464));
    detail.controls.push_back(VLine("Line8", 10359, 2592, 4464));
    detail.controls.push_back(HLine("Line9", 144, 3600, 4464));
    detail.controls.push_back(HLine("Line6", 3600, 10359, 4464));
    detail.controls.push_back(Label("Label17", "Notes", 144, 2736, 10215, kCentre));
    detail.controls.push_back(Wrapped(TextBox("txtNotes", "Notes", QString(), 288, 3024, 9936, kLeft, 1440)));
    // Eighteen ruled lines for handwritten remarks, 288 twips apart.
    for (int k = 0; k < 18; ++k) {
        const int number = k < 9 ? 12 + k : 22 + (k - 9);
        detail.controls.push_back(HLine(QStringLiteral("Line%1").arg(number), 144, 10359, 4896 + 288 * k));
    }
    // Signature and approval.
    detail.controls.push_back(Label("Label18", "Signed:", 144, 10656, 1008, kLeft));
    detail.controls.push_back(HLine("Line1", 1152, 1152 + 6045, 10800));
    detail.controls.push_back(Label("Label20", "Date:", 7344, 10656, 576, kLeft));
    detail.controls.push_back(Label("Label27", "%d", 7920, 10656, 10359 - 7920, kCentre));
    detail.controls.push_back(Label("Label19", "Approved:", 144, 11232, 1008, kLeft));
    detail.controls.push_back(HLine("Line2", 1152, 1152 + 6045, 11376));
    detail.controls.push_back(Label("Label21", "Date:", 7344, 11232, 576, kLeft));
    detail.controls.push_back(HLine("Line4", 8064, 8064 + 2295, 11376));

    ReportSection& footer = r.pageFooter;
    footer.name = QStringLiteral("Section3");
    footer.height = 435;
    footer.controls = {
        HLine("Line21", 144, 10359, 0),
        // At the report's left edge and ending at its right edge.
        Label("Label25", kProductLine, 0, 144, 2880, kLeft),
        Label("Label26", kMakerAddress, r.reportWidth - 2880, 144, 2880, kRight),
        HLine("Line11", 144, 10359, 432),
    };
    return r;
}

namespace {
struct SummaryColumn {
    int left;
    const char* heading;
    const char* textBox;
    const char* field;
    const char* format;
};
// The month table's columns, left to right; each runs to the next one's left edge, the last to 11096.
const std::array<SummaryColumn, 13> kSummaryColumns = {{
    {144, "Month", "txtMonth", "Month", ""},
    {1008, "Trips", "txtTrips", "Trips", "#,##0"},
    {1512, "Miles", "txtMiles", "Miles", "#,##0"},
    {2304, "Mileage", "txtMileage", "Mileage", "\"$\"#,##0.00"},
    {3184, "Fuel", "txtFuel", "Fuel", "\"$\"#,##0.00"},
    {4064, "Parking", "txtParking", "Parking", "\"$\"#,##0.00"},
    {4944, "Meals", "txtMeals", "Meals", "\"$\"#,##0.00"},
    {5824, "Lodging", "txtMotel", "Motel", "\"$\"#,##0.00"},
    {6704, "Telephone", "txtPhone", "Phone", "\"$\"#,##0.00"},
    {7584, "Repairs", "txtRepairs", "Repairs", "\"$\"#,##0.00"},
    {8464, "Towing", "txtTowing", "Towing", "\"$\"#,##0.00"},
    {9344, "Misc.", "txtExpense", "Expense", "\"$\"#,##0.00"},
    {10224, "Total", "txtTotalTrip", "TotalTrip", "\"$\"#,##0.00"},
}};
constexpr int kSummaryRight = 11096;

ReportSection RowSection(const QString& name, int height, bool keepWithNext) {
    ReportSection section;
    section.name = name;
    section.height = height;
    section.keepWithNext = keepWithNext;
    return section;
}

struct FindingColumn {
    int left;
    int width;
    const char* heading;
    const char* field;
    const char* format;
};
const std::array<FindingColumn, 8> kFindingColumns = {{
    {144, 1152, "Finding", "Kind", ""},
    {1296, 1296, "Trip before", "PreviousTripID", ""},
    {2592, 1296, "Its date", "PreviousDate", "M/d/yyyy"},
    {3888, 1440, "Its end", "PreviousEnd", "0"},
    {5328, 1296, "Trip", "TripID", ""},
    {6624, 1296, "Its date", "StartDate", "M/d/yyyy"},
    {7920, 1440, "Its start", "Start", "0"},
    {9360, 1440, "Miles", "Difference", "#,##0"},
}};
} // namespace

ReportDefinition YearSummaryLayout(const QString& period) {
    ReportDefinition r;
    r.name = QStringLiteral("rptSummary");
    r.documentName = QStringLiteral("Year Summary");
    r.reportWidth = 11160;
    r.orientation = QPageLayout::Portrait;
    r.margins = ReportMargins{540, 600, 540, 1000};
    r.reportHeader.name = QStringLiteral("Section4");
    r.reportFooter.name = QStringLiteral("Section5");
    r.sectionField = QStringLiteral("Section");

    ReportSection& header = r.pageHeader;
    header.name = QStringLiteral("Section2");
    header.height = 1600;
    header.controls = {
        FirstTitle("lblOwner", "%i", 2700, 0, 5760),           SecondTitle("lblTitle", "Year Summary", 2700, 480, 5760),
        Label("lblPeriod", period, 2700, 1008, 5760, kCentre), Label("lblDate", "%d", 9360, 1008, 1736, kRight),
        HLine("linHeader", 144, kSummaryRight, 1440),
    };
    r.detail.name = QStringLiteral("Section1");

    ReportSection heading = RowSection(QStringLiteral("Heading"), 480, true);
    ReportSection month = RowSection(QStringLiteral("Month"), 300, false);
    ReportSection totals = RowSection(QStringLiteral("Totals"), 420, false);
    for (std::size_t i = 0; i < kSummaryColumns.size(); ++i) {
        const SummaryColumn& c = kSummaryColumns[i];
        const int right = i + 1 < kSummaryColumns.size() ? kSummaryColumns[i + 1].left : kSummaryRight;
        const Qt::Alignment alignment = i == 0 ? kLeft : kRight;
        heading.controls.push_back(
            Label(QStringLiteral("lblHead_%1").arg(i), c.heading, c.left, 144, right - c.left, alignment));
        month.controls.push_back(TextBox(c.textBox, c.field, c.format, c.left, 0, right - c.left, alignment));
        totals.controls.push_back(Bold(TextBox(QString::fromLatin1(c.textBox) + QStringLiteral("Total"), c.field,
                                               c.format, c.left, 96, right - c.left, alignment),
                                       8.25));
    }
    heading.controls.push_back(HLine("linHeading", 144, kSummaryRight, 456));
    totals.controls.push_back(HLine("linTotals", 144, kSummaryRight, 48));

    ReportSection chart = RowSection(QStringLiteral("Chart"), 5040, false);
    chart.controls = {
        Bold(Label("lblChart", "Miles per Month", 144, 288, 10952, kCentre, 300), 10),
        BarChart("chtMiles", "ChartLabels", "ChartValues", "#,##0", 144, 720, 10952, 4176),
    };

    ReportSection check = RowSection(QStringLiteral("CheckHeading"), 1200, true);
    check.controls = {
        Bold(Label("lblCheck", "Odometer Continuity", 144, 144, 10952, kCentre, 300), 10),
        Label("lblCheckNote",
              "Trips by date, then start reading: each start compared with the end of the trip before it.", 144, 504,
              10952, kCentre),
        HLine("linCheck", 144, kSummaryRight, 1176),
    };
    ReportSection finding = RowSection(QStringLiteral("Finding"), 285, false);
    // The column headings again, on the pages the findings continue on.
    ReportSection findingHeading = RowSection(QStringLiteral("FindingHeading"), 420, false);
    for (std::size_t i = 0; i < kFindingColumns.size(); ++i) {
        const FindingColumn& c = kFindingColumns[i];
        const Qt::Alignment alignment = i == 0 ? kLeft : (c.format[0] == '\0' ? kCentre : kRight);
        check.controls.push_back(
            Label(QStringLiteral("lblCheckHead_%1").arg(i), c.heading, c.left, 864, c.width, alignment));
        findingHeading.controls.push_back(
            Label(QStringLiteral("lblCheckHeadAgain_%1").arg(i), c.heading, c.left, 72, c.width, alignment));
        finding.controls.push_back(
            TextBox(QStringLiteral("txtFinding_%1").arg(i), c.field, c.format, c.left, 0, c.width, alignment));
    }
    findingHeading.controls.push_back(HLine("linCheckAgain", 144, kSummaryRight, 396));
    finding.repeatHeading = findingHeading.name;
    month.repeatHeading = heading.name;
    ReportSection note = RowSection(QStringLiteral("Note"), 330, false);
    note.controls = {TextBox("txtNote", "Text", QString(), 144, 45, 10952)};
    r.rowSections = {heading, month, totals, chart, check, finding, findingHeading, note};

    ReportSection& footer = r.pageFooter;
    footer.name = QStringLiteral("Section3");
    footer.height = 450;
    footer.controls = {
        InRun(Label("lblPage", "Page", 144, 144, 432, kLeft), 1),
        InRun(Label("lblPageNumber", "%p", 576, 144, 288, kCentre), 1),
        InRun(Label("lblOf", "of", 864, 144, 288, kCentre), 1),
        InRun(Label("lblPages", "%P", 1152, 144, 576, kLeft), 1),
        Label("lblProduct", kProductLine, 4000, 144, 3165, kCentre),
        Label("lblMaker", kMakerAddress, kSummaryRight - 2880, 144, 2880, kRight),
        HLine("linFooter", 144, kSummaryRight, 0),
    };
    return r;
}
