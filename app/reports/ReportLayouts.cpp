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
