#pragma once
// The banded report facility: report layouts as data (sections of controls placed in twips),
// a renderer that knows its page count and paints any page on any painter, and the one loop
// that drives a paged device (preview, printer, PDF file).

#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;

// The rows of a query, read into memory, so nothing stays locked in the database.
struct ReportRows {
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;

    int columnIndex(const QString& name) const; // case-insensitive; -1 when there is no such column
    QVariant value(std::size_t row, const QString& field) const;
    std::size_t size() const { return rows.size(); }
};

enum class ControlKind { Label, TextBox, Line, BarChart };

// One control of a section. Positions and sizes are twips (1/1440 inch) from the section's top-left;
// a line runs from (left, top) to (left + width, top + height).
struct ReportControl {
    QString name;
    ControlKind kind = ControlKind::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QString caption;   // labels: text with insertion codes
    QString dataField; // text boxes: the column shown
    QString format;    // text boxes: display format; empty shows the value's own text
    double fontSize = 8.25;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool wordWrap = false;
    // Labels of a section with the same non-zero run read as one line of words ("Page 3 of 7"):
    // each keeps its design place unless the word before it would touch it, then it moves right.
    int run = 0;
    // Bar charts: the column of category names (a string list); dataField holds their values (a list of
    // numbers) and format the values' display format.
    QString labelField;
};

// The usual control heights for one line of text at the report sizes.
constexpr int kLineHeight = 285;

ReportControl Label(const QString& name, const QString& caption, int left, int top, int width,
                    Qt::Alignment alignment = Qt::AlignLeft, int height = kLineHeight);
ReportControl TextBox(const QString& name, const QString& dataField, const QString& format, int left, int top,
                      int width, Qt::Alignment alignment = Qt::AlignLeft, int height = kLineHeight);
ReportControl HLine(const QString& name, int x1, int x2, int y);
ReportControl VLine(const QString& name, int x, int y1, int y2);
ReportControl Bold(ReportControl control, double fontSize);
ReportControl Wrapped(ReportControl control);
ReportControl InRun(ReportControl control, int run);
// A bar chart in its box: axes with a scale, a bar per value, the values above the bars and the
// category names below them.
ReportControl BarChart(const QString& name, const QString& labelField, const QString& valueField, const QString& format,
                       int left, int top, int width, int height);

struct ReportSection {
    QString name;
    int height = 0;
    bool keepWithNext = false; // a heading: starts a new page rather than end one alone
    std::vector<ReportControl> controls;
    // Lines that go on over a page break: the section named here heads the page they continue on.
    QString repeatHeading;
};

struct ReportMargins {
    int left = 1440;
    int top = 1440;
    int right = 1440;
    int bottom = 1440;
};

struct ReportDefinition {
    QString name;
    QString documentName; // the printed document's and the exported file's name
    int reportWidth = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    ReportMargins margins;
    ReportSection reportHeader; // Section4
    ReportSection pageHeader;   // Section2
    ReportSection detail;       // Section1
    ReportSection pageFooter;   // Section3
    ReportSection reportFooter; // Section5
    // A report of several kinds of line: a row whose sectionField names one of rowSections is laid out
    // in that section instead of the detail section.
    QString sectionField;
    std::vector<ReportSection> rowSections;

    const ReportControl* control(const QString& controlName) const;
};

// Letter paper in the report's orientation with its margins.
QPageLayout PageLayoutOf(const ReportDefinition& definition);
// The height of a page's printable area in twips.
int PrintableHeight(const ReportDefinition& definition);

// Where a single line of text goes in its box, in twips from the section's top-left.
struct TextPlacement {
    const ReportControl* control = nullptr;
    QString text;
    QPointF start;       // the left end of the text's baseline
    double width = 0;    // the width as drawn, after condensing
    double scaleX = 1.0; // below 1 when an amount is drawn condensed to stay inside its box
    double scaleY = 1.0;
    QRectF clip; // the box the text is cut to; empty when nothing is cut
};

// Which pages a print run paints, and how often: a page range (1-based, 0 for all), copies made
// by the program, whether each copy is whole before the next begins, and last page first.
struct PageRun {
    int fromPage = 0;
    int toPage = 0;
    int copies = 1;
    bool collate = true;
    bool reverse = false;
};
// The 0-based pages of a report of pageCount pages in the order a run paints them.
std::vector<int> PageSequence(int pageCount, const PageRun& run);

// Replaces "%i" (title), "%d" (short date), "%D" (long date), "%p" (page) and "%P" (pages).
QString ExpandCodes(const QString& caption, const QString& title, const QDate& today, int page, int pages);
// A bound value as a text box shows it: through its display format, or its own text.
QString FormatValue(const QVariant& value, const QString& format);

class ReportRenderer {
public:
    ReportRenderer(ReportDefinition definition, std::shared_ptr<const ReportRows> rows, QString title,
                   QDate today = QDate::currentDate());

    const ReportDefinition& definition() const { return def_; }
    const QString& title() const { return title_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    // The rows laid out on a page (0-based): first row and count.
    std::pair<std::size_t, std::size_t> rowsOnPage(int page) const;

    // Paints one page (0-based); the painter's origin is the top-left of the printable area.
    void paintPage(QPainter& painter, int page) const;
    // The same at a given resolution instead of the painter's device's (a zoomed preview).
    void paintPage(QPainter& painter, int page, double dotsPerInchX, double dotsPerInchY) const;
    // The text a control shows on a page, for a detail row (ignored outside the detail).
    QString textOf(const ReportControl& control, int page, std::size_t row = 0) const;
    // Where the single-line texts of a section go on a page, for a detail row; word-wrapped boxes
    // are left out. Positions are relative to the section's top-left.
    std::vector<TextPlacement> placeTexts(const ReportSection& section, int page, std::size_t row = 0) const;

private:
    struct Page {
        std::size_t firstRow = 0;
        std::size_t rowCount = 0;
        bool reportHeader = false;
        bool reportFooter = false;
        const ReportSection* repeated = nullptr; // the heading of lines continued from the page before
    };
    void paginate();
    void paginateRows();
    const ReportSection& sectionOf(std::size_t row) const;
    const ReportSection* rowSection(const QString& name) const;
    void drawBarChart(QPainter& painter, const ReportControl& control, int top, std::size_t row) const;
    void paintSection(QPainter& painter, const ReportSection& section, int top, int page, std::size_t row) const;
    void drawWrapped(QPainter& painter, const ReportControl& control, int top, const QString& text) const;
    void drawPlaced(QPainter& painter, const TextPlacement& placed, int top) const;
    TextPlacement placeText(const ReportControl& control, const QString& text) const;
    struct Font {
        double size;
        bool bold;
        QFont font;
        QFontMetricsF metrics;
    };
    const Font& fontOf(const ReportControl& control) const;

    ReportDefinition def_;
    std::shared_ptr<const ReportRows> rows_;
    QString title_;
    QDate today_;
    std::vector<Page> pages_;
    std::vector<const ReportSection*> rowSection_; // per row, when the rows choose their sections
    mutable std::deque<Font> fonts_;               // one per size and weight, made at first use
    mutable const Font* current_ = nullptr;        // the font last set on the painter
};

// Paints the pages of a run on a paged device, one after another; false when painting cannot begin
// on the device.
bool RenderReport(const ReportRenderer& renderer, QPagedPaintDevice& device, const PageRun& run = PageRun());
// Writes the whole report to a PDF file; false when the file cannot be written.
bool ExportReportPdf(const ReportRenderer& renderer, const QString& fileName);
