// The report facility without a database: display formats, insertion codes, pagination and the
// two layouts' geometry.

#include "reports/ReportEngine.h"
#include "reports/ReportLayouts.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <ostream>

namespace {

std::shared_ptr<ReportRows> tripRows(int count) {
    auto rows = std::make_shared<ReportRows>();
    rows->columns = {"ID", "TripID", "Destination", "TotalTrip", "StartDate", "Notes"};
    for (int i = 1; i <= count; ++i)
        rows->rows.push_back({qlonglong(i), QString("T-%1").arg(i), QString("Place %1").arg(i), 10.0 * i,
                              QString("10/8/2007"), QVariant()});
    return rows;
}

ReportDefinition withMargins(ReportDefinition d, ReportMargins m) {
    d.margins = m;
    return d;
}

const ReportMargins kTripMargins{500, 400, 500, 1000};
const ReportMargins kReportMargins{500, 600, 300, 1000};

struct FormatCase {
    QVariant value;
    QString format;
    QString shown;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.value.toString().toStdString() << " as " << c.format.toStdString();
}

class FormatValueTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValueTest, ShowsTheValueThroughItsFormat) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.value, c.format).toStdString(), c.shown.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    ReportFormats, FormatValueTest,
    ::testing::Values(FormatCase{1234.5, "\"$\"#,##0.00", "$1,234.50"}, FormatCase{12.3, "0.00", "12.30"},
                      FormatCase{12.3, "\"$\"#,##0.00", "$12.30"}, FormatCase{0.475, "0.000", "0.475"},
                      FormatCase{QString("10/8/2007"), "M/d/yyyy", "10/8/2007"},
                      FormatCase{QString("2007-10-08"), "M/d/yyyy", "10/8/2007"},
                      FormatCase{qlonglong(104321), "0", "104321"}, FormatCase{12.6, "0", "13"},
                      FormatCase{1234567.0, "\"$\"#,##0.00", "$1,234,567.00"}, FormatCase{0.0, "0.00", "0.00"},
                      FormatCase{QVariant(), "\"$\"#,##0.00", ""}, FormatCase{QVariant(), QString(), ""},
                      FormatCase{QString("O'Hare"), QString(), "O'Hare"}, FormatCase{0.475, QString(), "0.475"},
                      FormatCase{QString("not a date"), "M/d/yyyy", "not a date"}));

TEST(ExpandCodes, ReplacesEveryCodeAndLeavesOtherText) {
    const QDate day(2007, 10, 18);
    EXPECT_EQ(ExpandCodes("%i", "Anne Smith", day, 1, 2), "Anne Smith");
    EXPECT_EQ(ExpandCodes("%d", "", day, 1, 2), "10/18/2007");
    EXPECT_EQ(ExpandCodes("%D", "", day, 1, 2), "Thursday, October 18, 2007");
    EXPECT_EQ(ExpandCodes("Page %p of %P", "", day, 3, 7), "Page 3 of 7");
    EXPECT_EQ(ExpandCodes("100% sure %x %", "", day, 1, 1), "100% sure %x %");
    // A title that itself holds a code is printed as it is, not expanded again.
    EXPECT_EQ(ExpandCodes("%i", "50%p", day, 4, 9), "50%p");
}

struct PagingCase {
    int rows;
    int pages;
};

void PrintTo(const PagingCase& c, std::ostream* os) {
    *os << c.rows << " rows";
}

class TripListPaging : public ::testing::TestWithParam<PagingCase> {};

// Landscape letter less the margins leaves room for 18 trip lines between page header and footer.
TEST_P(TripListPaging, PutsEighteenTripsOnAPage) {
    const PagingCase& c = GetParam();
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(c.rows), "Anne Smith");
    ASSERT_EQ(renderer.pageCount(), c.pages);
    std::size_t laid = 0;
    for (int p = 0; p < renderer.pageCount(); ++p) {
        EXPECT_EQ(renderer.rowsOnPage(p).first, laid);
        laid += renderer.rowsOnPage(p).second;
        EXPECT_LE(renderer.rowsOnPage(p).second, 18u);
    }
    EXPECT_EQ(laid, static_cast<std::size_t>(c.rows));
}

INSTANTIATE_TEST_SUITE_P(Rows, TripListPaging,
                         ::testing::Values(PagingCase{0, 1}, PagingCase{1, 1}, PagingCase{18, 1}, PagingCase{19, 2},
                                           PagingCase{36, 2}, PagingCase{37, 3}, PagingCase{10000, 556}));

TEST(TripReportPaging, OneTripFillsExactlyOnePageAndTwoTripsTwo) {
    const ReportDefinition def = withMargins(TripReportLayout(), kReportMargins);
    EXPECT_EQ(ReportRenderer(def, tripRows(1), "").pageCount(), 1);
    EXPECT_EQ(ReportRenderer(def, tripRows(2), "").pageCount(), 2);
    EXPECT_EQ(ReportRenderer(def, tripRows(0), "").pageCount(), 1);
}

TEST(PageNumbers, FooterReadsPageOfPages) {
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(19), "");
    const ReportDefinition& d = renderer.definition();
    EXPECT_EQ(renderer.textOf(*d.control("Label3"), 0), "1");
    EXPECT_EQ(renderer.textOf(*d.control("Label5"), 0), "2");
    EXPECT_EQ(renderer.textOf(*d.control("Label3"), 1), "2");
}

struct LayoutCase {
    const char* name;
    ReportDefinition (*layout)();
    ReportMargins margins;
    int pageWidth;
    std::size_t detailControls;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class LayoutGeometry : public ::testing::TestWithParam<LayoutCase> {};

// Every control lies inside the report width and inside its section, and the report width with
// the side margins fits the page, so nothing is cut off at the paper's edge.
TEST_P(LayoutGeometry, FitsItsPaper) {
    const LayoutCase& c = GetParam();
    const ReportDefinition d = withMargins(c.layout(), c.margins);
    EXPECT_LE(d.reportWidth + d.margins.left + d.margins.right, c.pageWidth);
    const QSizeF page = PageLayoutOf(d).fullRect(QPageLayout::Point).size();
    EXPECT_NEAR(page.width() * 20, c.pageWidth, 1);
    for (const ReportSection* s : {&d.pageHeader, &d.detail, &d.pageFooter}) {
        for (const ReportControl& control : s->controls) {
            SCOPED_TRACE(control.name.toStdString());
            EXPECT_GE(control.left, 0);
            EXPECT_LE(control.left + control.width, d.reportWidth);
            EXPECT_LE(control.top + control.height, s->height);
        }
    }
    EXPECT_EQ(d.detail.controls.size(), c.detailControls);
    EXPECT_TRUE(d.reportHeader.controls.empty());
    EXPECT_EQ(d.reportHeader.height, 0);
    EXPECT_EQ(d.reportFooter.height, 0);
}

INSTANTIATE_TEST_SUITE_P(Reports, LayoutGeometry,
                         ::testing::Values(
                             // 16 text boxes, 17 column rules and the underline
                             LayoutCase{"rptTrips", &TripListLayout, kTripMargins, 15840, 34},
                             // 17 caption/value pairs, the notes box, 18 rules and the signature block
                             LayoutCase{"rptReport", &TripReportLayout, kReportMargins, 12240, 34 + 7 + 18 + 8}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BoundCase {
    const char* control;
    const char* field;
    const char* format;
    Qt::Alignment alignment;
};

void PrintTo(const BoundCase& c, std::ostream* os) {
    *os << c.control;
}

class TripListColumns : public ::testing::TestWithParam<BoundCase> {};

TEST_P(TripListColumns, BindTheirFieldThroughTheirFormat) {
    const BoundCase& c = GetParam();
    const ReportDefinition d = TripListLayout();
    const ReportControl* control = d.control(c.control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, ControlKind::TextBox);
    EXPECT_EQ(control->dataField, c.field);
    EXPECT_EQ(control->format, c.format);
    EXPECT_EQ(control->alignment, c.alignment);
    EXPECT_EQ(control->top, 144);
}

INSTANTIATE_TEST_SUITE_P(Columns, TripListColumns,
                         ::testing::Values(BoundCase{"txtTripID", "TripID", "", Qt::AlignHCenter},
                                           BoundCase{"txtStartDate", "StartDate", "M/d/yyyy", Qt::AlignHCenter},
                                           BoundCase{"txtMiles", "Miles", "0", Qt::AlignHCenter},
                                           BoundCase{"txtRate", "Mileage", "0.00", Qt::AlignRight},
                                           BoundCase{"txtFuel", "Fuel", "0.00", Qt::AlignRight},
                                           BoundCase{"txtExpense", "Expense", "0.00", Qt::AlignRight},
                                           BoundCase{"txtTotalTrip", "TotalTrip", "\"$\"#,##0.00", Qt::AlignRight}));

TEST(Notes, LongNotesAreCutOffAtTheBoxBottom) {
    // A notes text of many lines paints only what fits in its 1440-twip box: the painted area ends there.
    auto rows = tripRows(1);
    QString notes;
    for (int i = 0; i < 60; ++i)
        notes += QString("Line %1 of the notes\r\n").arg(i);
    rows->rows[0][5] = notes;
    ReportDefinition d = withMargins(TripReportLayout(), kReportMargins);
    // Leave only the notes box, so every ink pixel comes from it.
    std::vector<ReportControl> only;
    for (const ReportControl& c : d.detail.controls) {
        if (c.name == "txtNotes")
            only.push_back(c);
    }
    d.detail.controls = only;
    d.pageHeader.controls.clear();
    d.pageFooter.controls.clear();
    ReportRenderer renderer(d, rows, "");
    QImage image(1020, 1320, QImage::Format_RGB32); // letter at 120 dpi
    image.setDotsPerMeterX(qRound(120 / 0.0254));
    image.setDotsPerMeterY(qRound(120 / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderer.paintPage(painter, 0);
    }
    int lowest = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                lowest = y;
                break;
            }
        }
    }
    const double twipsPerPixel = 1440.0 / 120.0;
    const double boxBottom = (d.pageHeader.height + 3024 + 1440) / twipsPerPixel;
    ASSERT_GT(lowest, 0);
    EXPECT_LE(lowest, boxBottom + 1);
    EXPECT_GT(lowest, boxBottom - 40); // and the box is filled down to its bottom
}

} // namespace

namespace {
TEST(ExportPdf, UnwritablePathReportsFailure) {
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(3), "");
    EXPECT_FALSE(ExportReportPdf(renderer, "/nonexistent-folder/trips.pdf"));
}
} // namespace
