// The report facility without a database: display formats, insertion codes, pagination and the
// two layouts' geometry.

#include "reports/ReportEngine.h"
#include "reports/ReportLayouts.h"

#include "ReportTestUtil.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

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

// Rows that name their sections take those sections' heights, and a heading never ends a page alone.
TEST(RowSections, PagesFillByEachRowsHeightAndKeepAHeadingWithItsLine) {
    ReportDefinition def;
    def.margins = ReportMargins{0, 0, 0, 0};
    def.sectionField = "Section";
    def.rowSections = {ReportSection{"Heading", 1000, true, {}, {}}, ReportSection{"Line", 4800, false, {}, {}}};
    // A letter page is 15840 twips high: after three lines (14400) the heading would fit, but not its line.
    auto rows = std::make_shared<ReportRows>();
    rows->columns = {"Section"};
    for (const char* section : {"Line", "Line", "Line", "Heading", "Line", "Other"})
        rows->rows.push_back({QString(section)});
    const ReportRenderer renderer(def, rows, "");
    ASSERT_EQ(renderer.pageCount(), 2);
    EXPECT_EQ(renderer.rowsOnPage(0), (std::pair<std::size_t, std::size_t>{0, 3}));
    EXPECT_EQ(renderer.rowsOnPage(1), (std::pair<std::size_t, std::size_t>{3, 3})); // "Other": the empty detail

    // Lines continued over a break go on under their heading, which takes its room on that page.
    def.rowSections[1].repeatHeading = "Heading";
    def.rowSections[1].height = 5000; // three to a page, but only two under the heading
    rows->rows.assign(7, {QString("Line")});
    const ReportRenderer continued(def, rows, "");
    ASSERT_EQ(continued.pageCount(), 3);
    EXPECT_EQ(continued.rowsOnPage(1), (std::pair<std::size_t, std::size_t>{3, 2}));
    QImage page(850, 1100, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    continued.paintPage(painter, 1, 100, 100); // the heading has no row of its own to paint from
}

TEST(PageNumbers, FooterReadsPageOfPages) {
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(19), "");
    const ReportDefinition& d = renderer.definition();
    EXPECT_EQ(renderer.textOf(*d.control("Label3"), 0), "1");
    EXPECT_EQ(renderer.textOf(*d.control("Label5"), 0), "2");
    EXPECT_EQ(renderer.textOf(*d.control("Label3"), 1), "2");
}

class PageNumberWidths : public ::testing::TestWithParam<int> {};

// "Page", the number, "of" and the count stay whole and a blank apart however many digits the
// numbers have, and read as four words.
TEST_P(PageNumberWidths, FooterWordsStayApart) {
    const int pages = GetParam();
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(18 * (pages - 1) + 1), "");
    ASSERT_EQ(renderer.pageCount(), pages);
    const ReportSection& footer = renderer.definition().pageFooter;
    const ReportControl* label = renderer.definition().control("Label1");
    ASSERT_NE(label, nullptr);
    QFont font({"Arial", "Liberation Sans"});
    font.setPixelSize(165);
    const double blank = QFontMetricsF(font).horizontalAdvance(' ');
    for (const int page : {pages - 2, pages - 1}) {
        std::vector<TextPlacement> words;
        for (const TextPlacement& p : renderer.placeTexts(footer, page)) {
            if (p.control->run != 0)
                words.push_back(p);
        }
        ASSERT_EQ(words.size(), 4u);
        QStringList texts;
        for (std::size_t i = 0; i < words.size(); ++i) {
            texts << words[i].text;
            EXPECT_TRUE(words[i].clip.isEmpty()) << words[i].text.toStdString() << " is cut";
            EXPECT_EQ(words[i].scaleX, 1.0);
            if (i > 0) {
                EXPECT_GE(words[i].start.x(), words[i - 1].start.x() + words[i - 1].width + blank * 0.99)
                    << words[i - 1].text.toStdString() << " touches " << words[i].text.toStdString();
            }
        }
        EXPECT_EQ(texts.join(' '), QString("Page %1 of %2").arg(page + 1).arg(pages));
        EXPECT_LT(words.back().start.x() + words.back().width, label->left) << "into the product line";
    }
    // And text extraction reads the words apart on the printed page.
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("last.pdf"));
    writer.setPageLayout(PageLayoutOf(renderer.definition()));
    ASSERT_TRUE(RenderReport(renderer, writer, PageRun{pages, pages}));
    const QString last = readPdf(dir.filePath("last.pdf")).text;
    EXPECT_TRUE(containsPattern(last, QString("Page %1 of %1").arg(pages))) << last.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pages, PageNumberWidths, ::testing::Values(10, 100, 1000, 10000));

struct RunCase {
    const char* name;
    int pageCount;
    PageRun run;
    std::vector<int> pages;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(PrintRuns, PaintThePagesInTheirOrder) {
    EXPECT_EQ(PageSequence(GetParam().pageCount, GetParam().run), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, PrintRuns,
    ::testing::Values(RunCase{"AllOnce", 3, PageRun{}, {0, 1, 2}},
                      RunCase{"TwoCollatedCopies", 2, PageRun{0, 0, 2, true, false}, {0, 1, 0, 1}},
                      RunCase{"TwoUncollatedCopies", 2, PageRun{0, 0, 2, false, false}, {0, 0, 1, 1}},
                      RunCase{"Reversed", 3, PageRun{0, 0, 1, true, true}, {2, 1, 0}},
                      RunCase{"ReversedCollated", 2, PageRun{0, 0, 2, true, true}, {1, 0, 1, 0}},
                      RunCase{"ReversedUncollated", 2, PageRun{0, 0, 2, false, true}, {1, 1, 0, 0}},
                      RunCase{"RangeReversed", 5, PageRun{2, 4, 1, true, true}, {3, 2, 1}},
                      RunCase{"OnePageTwice", 1, PageRun{0, 0, 2, true, false}, {0, 0}},
                      RunCase{"RangePastTheEnd", 2, PageRun{2, 9, 1, true, false}, {1}},
                      RunCase{"NoCopiesMeansOne", 1, PageRun{0, 0, 0, true, false}, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

// The print dialog's copies, collation and page order reach the printed file: a printer that does not
// make copies itself gets every copy from the program.
TEST(Printing, HonoursCopiesCollationAndPageOrder) {
    struct Case {
        bool collate;
        bool reverse;
        std::vector<int> pages; // the page numbers printed, in order
    };
    const Case cases[] = {{true, false, {1, 2, 1, 2}}, {false, false, {1, 1, 2, 2}}, {true, true, {2, 1, 2, 1}}};
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(19), "");
    ASSERT_EQ(renderer.pageCount(), 2);
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "collate " << c.collate << " reverse " << c.reverse);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        printer.setPageLayout(PageLayoutOf(renderer.definition()));
        printer.setCopyCount(2);
        printer.setCollateCopies(c.collate);
        printer.setPageOrder(c.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
        ASSERT_FALSE(printer.supportsMultipleCopies());
        ASSERT_TRUE(RenderReport(renderer, printer, PageRunOf(printer, renderer.pageCount())));
        const PdfContent pdf = readPdf(dir.filePath("printed.pdf"));
        ASSERT_EQ(pdf.pages, static_cast<int>(c.pages.size()));
        for (std::size_t i = 0; i < c.pages.size(); ++i) {
            const QString page = readPdf(dir.filePath("printed.pdf"), int(i) + 1).text;
            EXPECT_TRUE(containsPattern(page, QString("Page\\s+%1\\s+of\\s+2").arg(c.pages[i]))) << "sheet " << i + 1;
        }
    }
    // A range from the dialog prints only its pages.
    QPrinter ranged(QPrinter::HighResolution);
    ranged.setPrintRange(QPrinter::PageRange);
    ranged.setFromTo(2, 2);
    const PageRun run = PageRunOf(ranged, 2);
    EXPECT_EQ(PageSequence(2, run), std::vector<int>{1});
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
    std::vector<const ReportSection*> sections = {&d.pageHeader, &d.detail, &d.pageFooter};
    for (const ReportSection& s : d.rowSections)
        sections.push_back(&s);
    for (const ReportSection* s : sections) {
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
                             LayoutCase{"rptReport", &TripReportLayout, kReportMargins, 12240, 34 + 7 + 18 + 8},
                             // its lines are laid out in the sections they name
                             LayoutCase{"rptSummary", [] { return YearSummaryLayout("Year 2025"); },
                                        ReportMargins{540, 600, 540, 1000}, 12240, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr Qt::Alignment L = Qt::AlignLeft;
constexpr Qt::Alignment R = Qt::AlignRight;
const char* const kDollars = "\"$\"#,##0.00";

struct BoundCase {
    const char* control;
    const char* field;
    const char* format;
    Qt::Alignment alignment;
    int left;
    const char* headingLabel;
    const char* heading;
};

void PrintTo(const BoundCase& c, std::ostream* os) {
    *os << c.control;
}

class TripListColumns : public ::testing::TestWithParam<BoundCase> {};

// Every column's value stands under its own heading: a swapped binding would still print each
// amount, just in another column.
TEST_P(TripListColumns, BindTheirFieldThroughTheirFormat) {
    const BoundCase& c = GetParam();
    const ReportDefinition d = TripListLayout();
    const ReportControl* control = d.control(c.control);
    const ReportControl* heading = d.control(c.headingLabel);
    ASSERT_TRUE(control && heading);
    EXPECT_EQ(control->kind, ControlKind::TextBox);
    EXPECT_EQ(control->dataField, c.field);
    EXPECT_EQ(control->format, c.format);
    EXPECT_EQ(control->alignment, c.alignment);
    EXPECT_EQ(control->top, 144);
    EXPECT_EQ(control->left, c.left);
    EXPECT_EQ(heading->caption, c.heading);
    EXPECT_EQ(heading->left, c.left);
    EXPECT_EQ(heading->top, 1584);
    EXPECT_EQ(heading->alignment, Qt::AlignHCenter);
}

constexpr Qt::Alignment C = Qt::AlignHCenter;

INSTANTIATE_TEST_SUITE_P(
    Columns, TripListColumns,
    ::testing::Values(BoundCase{"txtTripID", "TripID", "", C, 144, "Label10", "Trip ID"},
                      BoundCase{"txtDestination", "Destination", "", C, 1008, "Label11", "Destination"},
                      BoundCase{"txtStartDate", "StartDate", "M/d/yyyy", C, 3168, "Label12", "Date"},
                      BoundCase{"txtStartOdometer", "StartOdometer", "0", C, 4176, "Label13", "Start"},
                      BoundCase{"txtEndOdometer", "EndOdometer", "0", C, 5040, "Label14", "End"},
                      BoundCase{"txtMiles", "Miles", "0", C, 5904, "Label25", "Miles"},
                      BoundCase{"txtRate", "Mileage", "0.00", R, 6768, "Label15", "Mileage"},
                      BoundCase{"txtFuel", "Fuel", "0.00", R, 7632, "Label16", "Fuel"},
                      BoundCase{"txtMeals", "Meals", "0.00", R, 8352, "Label17", "Meals"},
                      BoundCase{"txtMotel", "Motel", "0.00", R, 9072, "Label18", "Lodging"},
                      BoundCase{"txtParking", "Parking", "0.00", R, 9792, "Label19", "Parking"},
                      BoundCase{"txtRepairs", "Repairs", "0.00", R, 10512, "Label20", "Repairs"},
                      BoundCase{"txtTowing", "Towing", "0.00", R, 11232, "Label21", "Towing"},
                      BoundCase{"txtExpense", "Expense", "0.00", R, 11952, "Label23", "Misc"},
                      BoundCase{"txtPhone", "Phone", "0.00", R, 12672, "Label22", "Phone"},
                      BoundCase{"txtTotalTrip", "TotalTrip", kDollars, R, 13392, "Label24", "Total"}));

struct PairCase {
    const char* caption;
    const char* label;
    const char* textBox;
    const char* field;
    const char* format;
    int left;
    int top;
    Qt::Alignment alignment;
};

void PrintTo(const PairCase& c, std::ostream* os) {
    *os << c.textBox;
}

class TripReportValues : public ::testing::TestWithParam<PairCase> {};

// Each value of the expense report sits beside its caption and shows its own field: a swapped
// binding would still print every amount, just under the wrong caption.
TEST_P(TripReportValues, StandBesideTheirCaption) {
    const PairCase& c = GetParam();
    const ReportDefinition d = TripReportLayout();
    const ReportControl* label = d.control(c.label);
    const ReportControl* value = d.control(c.textBox);
    ASSERT_TRUE(label && value);
    EXPECT_EQ(label->caption, c.caption);
    EXPECT_EQ(label->top, c.top);
    EXPECT_EQ(label->alignment, Qt::AlignLeft);
    EXPECT_EQ(value->kind, ControlKind::TextBox);
    EXPECT_EQ(value->dataField, c.field);
    EXPECT_EQ(value->format, c.format);
    EXPECT_EQ(value->left, c.left);
    EXPECT_EQ(value->top, c.top);
    EXPECT_EQ(value->alignment, c.alignment);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, TripReportValues,
    ::testing::Values(PairCase{"Trip ID Number", "Label1", "txtTripID", "TripID", "", 1584, 144, L},
                      PairCase{"Destination", "Label2", "txtDestination", "Destination", "", 1584, 576, L},
                      PairCase{"Date", "Label3", "txtStartDate", "StartDate", "M/d/yyyy", 1584, 1008, L},
                      PairCase{"Odometer End", "Label4", "txtEndOdometer", "EndOdometer", "0", 1584, 1440, L},
                      PairCase{"Odometer Start", "Label5", "txtStartOdometer", "StartOdometer", "0", 1584, 1872, L},
                      PairCase{"Total Miles", "Label9", "txtMiles", "Miles", "0", 1584, 2304, L},
                      PairCase{"Rate", "Label6", "txtRate", "Rate", "0.000", 6624, 144, R},
                      PairCase{"Mileage", "Label28", "txtGrandTotal", "Mileage", kDollars, 6624, 576, R},
                      PairCase{"Fuel", "Label7", "txtFuel", "Fuel", kDollars, 6624, 1008, R},
                      PairCase{"Meals", "Label8", "txtMeals", "Meals", kDollars, 6624, 1440, R},
                      PairCase{"Lodging", "Label10", "txtMotel", "Motel", kDollars, 6624, 1872, R},
                      PairCase{"Parking", "Label11", "txtParking", "Parking", kDollars, 6624, 2304, R},
                      PairCase{"Repairs", "Label12", "txtRepairs", "Repairs", kDollars, 9504, 144, R},
                      PairCase{"Towing", "Label13", "txtTowing", "Towing", kDollars, 9504, 576, R},
                      PairCase{"Phone", "Label14", "txtPhone", "Phone", kDollars, 9504, 1008, R},
                      PairCase{"Misc. Exp.", "Label15", "txtExpense", "Expense", kDollars, 9504, 1440, R},
                      PairCase{"Total", "Label16", "txtTotalTrip", "TotalTrip", kDollars, 9216, 2304, R}));

// The expense report with only one detail control, no page header or footer: every ink pixel is that control's.
ReportDefinition onlyControl(const QString& name) {
    ReportDefinition d = withMargins(TripReportLayout(), kReportMargins);
    std::vector<ReportControl> only;
    for (const ReportControl& c : d.detail.controls) {
        if (c.name == name)
            only.push_back(c);
    }
    d.detail.controls = only;
    d.pageHeader.controls.clear();
    d.pageFooter.controls.clear();
    return d;
}

// The first page painted on white letter paper at 120 dpi.
QImage paintFirstPage(const ReportRenderer& renderer) {
    const bool landscape = renderer.definition().orientation == QPageLayout::Landscape;
    QImage image(landscape ? 1320 : 1020, landscape ? 1020 : 1320, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(120 / 0.0254));
    image.setDotsPerMeterY(qRound(120 / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.paintPage(painter, 0);
    return image;
}

TEST(Notes, LongNotesAreCutOffAtTheBoxBottom) {
    // A notes text of many lines paints only what fits in its 1440-twip box: the painted area ends there.
    auto rows = tripRows(1);
    QString notes;
    for (int i = 0; i < 60; ++i)
        notes += QString("Line %1 of the notes\r\n").arg(i);
    rows->rows[0][5] = notes;
    const ReportDefinition d = onlyControl("txtNotes");
    ReportRenderer renderer(d, rows, "");
    const QImage image = paintFirstPage(renderer);
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

// A report holding only the named control, wherever it stands.
std::unique_ptr<ReportRenderer> onlyControlOf(ReportDefinition (*layout)(), const QString& name,
                                              std::shared_ptr<ReportRows> rows, const QString& title) {
    ReportDefinition d = layout();
    for (ReportSection* s : {&d.pageHeader, &d.detail, &d.pageFooter}) {
        std::vector<ReportControl> only;
        for (const ReportControl& c : s->controls) {
            if (c.name == name)
                only.push_back(c);
        }
        s->controls = only;
    }
    return std::make_unique<ReportRenderer>(d, std::move(rows), title);
}

// Leftmost and rightmost columns of ink, in pixels; -1 when the page is blank.
std::pair<int, int> inkColumns(const QImage& image) {
    int left = -1;
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) < 160) {
                left = left < 0 ? x : std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

struct OverflowCase {
    const char* name;
    ReportDefinition (*layout)();
    const char* control;
    const char* field; // empty: the report's title
    QVariant value;
    const char* shown;  // the text that must read whole
    bool whole = false; // a little too wide: condensed and drawn whole, nothing cut
};

void PrintTo(const OverflowCase& c, std::ostream* os) {
    *os << c.name;
}

class Overflowing : public ::testing::TestWithParam<OverflowCase> {};

// Text wider than its box: a caption or name is condensed a little, and beyond that keeps its start and is
// cut at the box's end; an amount
// keeps every digit, drawn condensed inside its box instead of over the column rules and its neighbour.
TEST_P(Overflowing, StaysInsideItsBoxAndReadsFromItsStart) {
    const OverflowCase& c = GetParam();
    auto rows = tripRows(1);
    rows->columns << "Fuel";
    rows->rows[0].push_back(0.0);
    QString title = "Anne Smith";
    if (*c.field)
        rows->rows[0][static_cast<std::size_t>(rows->columnIndex(c.field))] = c.value;
    else
        title = c.value.toString();
    const auto renderer = onlyControlOf(c.layout, c.control, rows, title);
    const QImage image = paintFirstPage(*renderer);
    const ReportDefinition& d = renderer->definition();
    const ReportControl* control = d.control(c.control);
    ASSERT_NE(control, nullptr);
    const double twipsPerPixel = 1440.0 / 120.0;
    const auto [left, right] = inkColumns(image);
    ASSERT_GE(left, 0);
    EXPECT_GE(left * twipsPerPixel, control->left) << "ink before the box";
    EXPECT_LE(right * twipsPerPixel, control->left + control->width) << "ink past the box";
    // It starts where the box starts: nothing of its beginning is lost.
    EXPECT_LE(left * twipsPerPixel, control->left + 120);
    std::vector<TextPlacement> placed = renderer->placeTexts(d.pageHeader, 0);
    const std::vector<TextPlacement> detail = renderer->placeTexts(d.detail, 0, 0);
    placed.insert(placed.end(), detail.begin(), detail.end());
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_GE(placed[0].start.x(), control->left);
    if (control->format.isEmpty() && !c.whole) {
        EXPECT_EQ(placed[0].clip.right(), control->left + control->width); // cut at the end
    } else {
        EXPECT_LE(placed[0].start.x() + placed[0].width, control->left + control->width); // whole
        EXPECT_TRUE(placed[0].clip.isEmpty()) << "cut although it fits condensed";
    }

    QTemporaryDir dir;
    const QString file = dir.filePath("overflow.pdf");
    ASSERT_TRUE(ExportReportPdf(*renderer, file));
    const QString text = readPdf(file).text.simplified();
    EXPECT_TRUE(text.startsWith(c.shown)) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, Overflowing,
    ::testing::Values(
        OverflowCase{"NameOnExpenseReport", &TripReportLayout, "Label23", "",
                     "Christopher Alexander Montgomery-Fitzgerald of Springfield Heights", "Christopher Alexander"},
        OverflowCase{"NameALittleTooWide", &TripReportLayout, "Label23", "",
                     "Christopher Alexander Montgomery-Fitzgerald", "Christopher Alexander Montgomery-Fitzgerald",
                     true},
        OverflowCase{"DestinationOnTripList", &TripListLayout, "txtDestination", "Destination",
                     "Springfield Convention Center East Exhibition Hall", "Springfield Conv"},
        OverflowCase{"AmountOnTripList", &TripListLayout, "txtFuel", "Fuel", 99999.99, "99999.99"},
        OverflowCase{"TotalOnTripList", &TripListLayout, "txtTotalTrip", "TotalTrip", 33836970.0, "$33,836,970.00"},
        OverflowCase{"TotalOnExpenseReport", &TripReportLayout, "txtTotalTrip", "TotalTrip", 12345678.9,
                     "$12,345,678.90"},
        OverflowCase{"LargestSingleOnTripList", &TripListLayout, "txtFuel", "Fuel", 3.4028234663852886e38,
                     "340282346638528860000000000000000000000.00"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {
TEST(ExportPdf, UnwritablePathReportsFailure) {
    ReportRenderer renderer(withMargins(TripListLayout(), kTripMargins), tripRows(3), "");
    EXPECT_FALSE(ExportReportPdf(renderer, "/nonexistent-folder/trips.pdf"));
}
} // namespace
