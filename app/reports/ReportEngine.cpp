#include "reports/ReportEngine.h"

#include "platform/Format.h"
#include "tripdata/TripDates.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
// Left- and right-aligned text keeps clear of the column rules drawn at the box edges.
constexpr double kTextInset = 45.0;
// A one-pixel rule of the designer's screen.
constexpr double kLineWidth = 15.0;
// An amount is condensed to no less than this share of its width before it is made smaller too.
constexpr double kLeastCondensed = 0.6;
// How far text that is not a figure may be condensed before its end is cut instead.
constexpr double kMildlyCondensed = 0.8;

bool isDateFormat(const QString& format) {
    return !format.contains(QLatin1Char('0')) && !format.contains(QLatin1Char('#')) &&
           (format.contains(QLatin1Char('d')) || format.contains(QLatin1Char('y')) ||
            format.contains(QLatin1Char('M')));
}

QString ownText(const QVariant& value) {
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}
} // namespace

int ReportRows::columnIndex(const QString& name) const {
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant ReportRows::value(std::size_t row, const QString& field) const {
    const int index = columnIndex(field);
    if (index < 0 || row >= rows.size() || static_cast<std::size_t>(index) >= rows[row].size())
        return QVariant();
    return rows[row][static_cast<std::size_t>(index)];
}

ReportControl Label(const QString& name, const QString& caption, int left, int top, int width, Qt::Alignment alignment,
                    int height) {
    ReportControl c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.caption = caption;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.alignment = alignment;
    return c;
}

ReportControl TextBox(const QString& name, const QString& dataField, const QString& format, int left, int top,
                      int width, Qt::Alignment alignment, int height) {
    ReportControl c;
    c.name = name;
    c.kind = ControlKind::TextBox;
    c.dataField = dataField;
    c.format = format;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.alignment = alignment;
    return c;
}

ReportControl HLine(const QString& name, int x1, int x2, int y) {
    ReportControl c;
    c.name = name;
    c.kind = ControlKind::Line;
    c.left = x1;
    c.top = y;
    c.width = x2 - x1;
    return c;
}

ReportControl VLine(const QString& name, int x, int y1, int y2) {
    ReportControl c;
    c.name = name;
    c.kind = ControlKind::Line;
    c.left = x;
    c.top = y1;
    c.height = y2 - y1;
    return c;
}

ReportControl Bold(ReportControl control, double fontSize) {
    control.bold = true;
    control.fontSize = fontSize;
    return control;
}

ReportControl Wrapped(ReportControl control) {
    control.wordWrap = true;
    return control;
}

ReportControl InRun(ReportControl control, int run) {
    control.run = run;
    return control;
}

ReportControl BarChart(const QString& name, const QString& labelField, const QString& valueField, const QString& format,
                       int left, int top, int width, int height) {
    ReportControl c;
    c.name = name;
    c.kind = ControlKind::BarChart;
    c.labelField = labelField;
    c.dataField = valueField;
    c.format = format;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    return c;
}

const ReportControl* ReportDefinition::control(const QString& controlName) const {
    std::vector<const ReportSection*> sections = {&reportHeader, &pageHeader, &detail, &pageFooter, &reportFooter};
    for (const ReportSection& s : rowSections)
        sections.push_back(&s);
    for (const ReportSection* s : sections) {
        for (const ReportControl& c : s->controls) {
            if (c.name == controlName)
                return &c;
        }
    }
    return nullptr;
}

QPageLayout PageLayoutOf(const ReportDefinition& definition) {
    const ReportMargins& m = definition.margins;
    return QPageLayout(
        QPageSize(QPageSize::Letter), definition.orientation,
        QMarginsF(m.left / kTwipsPerPoint, m.top / kTwipsPerPoint, m.right / kTwipsPerPoint, m.bottom / kTwipsPerPoint),
        QPageLayout::Point, QMarginsF());
}

int PrintableHeight(const ReportDefinition& definition) {
    const QSizeF inches = QPageSize(QPageSize::Letter).size(QPageSize::Inch);
    const double height = definition.orientation == QPageLayout::Landscape ? inches.width() : inches.height();
    return static_cast<int>(std::lround(height * kTwipsPerInch)) - definition.margins.top - definition.margins.bottom;
}

QString ExpandCodes(const QString& caption, const QString& title, const QDate& today, int page, int pages) {
    if (!caption.contains(QLatin1Char('%')))
        return caption;
    QString out;
    out.reserve(caption.size() + 16);
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == QLatin1Char('%') && i + 1 < caption.size()) {
            const QChar code = caption.at(i + 1);
            QString replacement;
            bool known = true;
            if (code == QLatin1Char('i'))
                replacement = title;
            else if (code == QLatin1Char('d'))
                replacement = FormatDate(today, QStringLiteral("M/d/yyyy"));
            else if (code == QLatin1Char('D'))
                replacement = LongDate(today);
            else if (code == QLatin1Char('p'))
                replacement = QString::number(page);
            else if (code == QLatin1Char('P'))
                replacement = QString::number(pages);
            else
                known = false;
            if (known) {
                out += replacement;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString FormatValue(const QVariant& value, const QString& format) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (format.isEmpty())
        return ownText(value);
    if (isDateFormat(format)) {
        QDate date = value.typeId() == QMetaType::QDate ? value.toDate() : TextToDate(value.toString().trimmed());
        if (!date.isValid())
            date = QDate::fromString(value.toString().left(10), Qt::ISODate);
        return date.isValid() ? FormatDate(date, format) : ownText(value);
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? FormatNumber(number, format) : ownText(value);
}

ReportRenderer::ReportRenderer(ReportDefinition definition, std::shared_ptr<const ReportRows> rows, QString title,
                               QDate today)
    : def_(std::move(definition)), rows_(std::move(rows)), title_(std::move(title)), today_(today) {
    if (!rows_)
        rows_ = std::make_shared<ReportRows>();
    if (def_.sectionField.isEmpty()) {
        paginate();
        return;
    }
    const int column = rows_->columnIndex(def_.sectionField);
    rowSection_.reserve(rows_->size());
    for (const std::vector<QVariant>& row : rows_->rows) {
        const QString name = column >= 0 && static_cast<std::size_t>(column) < row.size()
                                 ? row[std::size_t(column)].toString()
                                 : QString();
        const ReportSection* section = rowSection(name);
        rowSection_.push_back(section ? section : &def_.detail);
    }
    paginateRows();
}

const ReportSection* ReportRenderer::rowSection(const QString& name) const {
    for (const ReportSection& s : def_.rowSections) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

const ReportSection& ReportRenderer::sectionOf(std::size_t row) const {
    return row < rowSection_.size() ? *rowSection_[row] : def_.detail;
}

// The same for rows of several heights: row by row, a heading kept on the page of the line after it.
void ReportRenderer::paginateRows() {
    pages_.clear();
    const int printable = PrintableHeight(def_);
    const int fixed = def_.pageHeader.height + def_.pageFooter.height;
    const std::size_t total = rows_->size();
    Page page;
    page.reportHeader = true;
    int space = printable - fixed - def_.reportHeader.height;
    for (std::size_t row = 0; row < total; ++row) {
        const ReportSection& section = sectionOf(row);
        int need = section.height;
        if (section.keepWithNext && row + 1 < total)
            need += sectionOf(row + 1).height;
        if (need > space && page.rowCount > 0) {
            pages_.push_back(page);
            page = Page();
            space = printable - fixed;
            // A line continued from the page before goes on under its heading again.
            const bool continued = &sectionOf(row - 1) == &section;
            page.repeated = continued && !section.repeatHeading.isEmpty() ? rowSection(section.repeatHeading) : nullptr;
            if (page.repeated)
                space -= page.repeated->height;
        }
        if (page.rowCount == 0)
            page.firstRow = row;
        ++page.rowCount;
        space -= section.height;
    }
    if (def_.reportFooter.height > space) {
        pages_.push_back(page);
        page = Page();
        page.firstRow = total;
    }
    page.reportFooter = true;
    pages_.push_back(page);
}

// First pass: every section has a fixed height, so the rows of each page, and with them the page
// count that "%P" prints, are known before anything is painted.
void ReportRenderer::paginate() {
    pages_.clear();
    const int printable = PrintableHeight(def_);
    const int fixed = def_.pageHeader.height + def_.pageFooter.height;
    const int detail = def_.detail.height;
    const std::size_t total = rows_->size();

    Page page;
    page.reportHeader = true;
    int space = printable - fixed - def_.reportHeader.height;
    std::size_t row = 0;
    while (row < total) {
        std::size_t fit = detail > 0 ? static_cast<std::size_t>(std::max(space, 0) / detail) : total - row;
        if (fit == 0 && page.rowCount == 0 && !(page.reportHeader && def_.reportHeader.height > 0))
            fit = 1; // a detail taller than the page still gets a page of its own
        if (fit == 0) {
            pages_.push_back(page);
            page = Page();
            page.firstRow = row;
            space = printable - fixed;
            continue;
        }
        const std::size_t take = std::min(fit, total - row);
        if (page.rowCount == 0)
            page.firstRow = row;
        page.rowCount += take;
        row += take;
        space -= static_cast<int>(take) * detail;
        if (row < total) {
            pages_.push_back(page);
            page = Page();
            page.firstRow = row;
            space = printable - fixed;
        }
    }
    if (def_.reportFooter.height > space) {
        pages_.push_back(page);
        page = Page();
        page.firstRow = total;
    }
    page.reportFooter = true;
    pages_.push_back(page);
}

std::pair<std::size_t, std::size_t> ReportRenderer::rowsOnPage(int page) const {
    if (page < 0 || page >= pageCount())
        return {0, 0};
    const Page& p = pages_[static_cast<std::size_t>(page)];
    return {p.firstRow, p.rowCount};
}

QString ReportRenderer::textOf(const ReportControl& control, int page, std::size_t row) const {
    switch (control.kind) {
    case ControlKind::Label:
        return ExpandCodes(control.caption, title_, today_, page + 1, pageCount());
    case ControlKind::TextBox:
        return FormatValue(rows_->value(row, control.dataField), control.format);
    default:
        return QString();
    }
}

const ReportRenderer::Font& ReportRenderer::fontOf(const ReportControl& control) const {
    for (const Font& entry : fonts_) {
        if (entry.size == control.fontSize && entry.bold == control.bold)
            return entry;
    }
    // Arial where it is installed, its metric twin elsewhere, so the designed layouts fit.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(static_cast<int>(std::lround(control.fontSize * kTwipsPerPoint))); // painted in twips
    font.setBold(control.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    fonts_.push_back(Font{control.fontSize, control.bold, font, QFontMetricsF(font)});
    return fonts_.back();
}

void ReportRenderer::drawWrapped(QPainter& painter, const ReportControl& control, int top, const QString& text) const {
    if (text.isEmpty())
        return;
    const Font& f = fontOf(control);
    if (current_ != &f) {
        painter.setFont(f.font);
        current_ = &f;
    }
    const QRectF box(control.left, top + control.top, control.width, control.height);
    const Qt::Alignment horizontal = control.alignment & Qt::AlignHorizontal_Mask;
    QRectF area = box;
    if (horizontal & Qt::AlignLeft)
        area.setLeft(box.left() + kTextInset);
    else if (horizontal & Qt::AlignRight)
        area.setRight(box.right() - kTextInset);
    // Whole lines only: what does not fit above the box's bottom is cut off.
    QString flowing = text;
    flowing.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    flowing.replace(QLatin1Char('\n'), QChar::LineSeparator);
    flowing.replace(QLatin1Char('\r'), QChar::LineSeparator);
    QTextLayout layout(flowing, f.font, painter.device());
    QTextOption option(horizontal);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    double y = 0;
    std::vector<QTextLine> lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
        if (y > box.height())
            break;
        lines.push_back(line);
    }
    layout.endLayout();
    for (const QTextLine& line : lines)
        line.draw(&painter, area.topLeft());
}

TextPlacement ReportRenderer::placeText(const ReportControl& control, const QString& text) const {
    TextPlacement p;
    p.control = &control;
    p.text = text;
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        p.text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        p.text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        p.text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
    const Font& f = fontOf(control);
    const QRectF box(control.left, control.top, control.width, control.height);
    const Qt::Alignment horizontal = control.alignment & Qt::AlignHorizontal_Mask;
    const double width = f.metrics.horizontalAdvance(p.text);
    p.width = width;
    double x = box.left() + kTextInset;
    if (horizontal & Qt::AlignRight)
        x = box.right() - kTextInset - width;
    else if (horizontal & Qt::AlignHCenter)
        x = box.left() + (box.width() - width) / 2;
    const bool tooTall = f.metrics.height() > box.height();
    if (tooTall)
        p.clip = box; // only the bottom is cut, like any text

    if (control.run != 0) {
        // A word of a run takes the room it needs; placeTexts moves the words after it.
        if (tooTall)
            p.clip = QRectF(x, box.top(), width, box.height());
    } else if (!control.format.isEmpty()) {
        // A formatted value (an amount, a count, a date) keeps every character, since a figure with a
        // digit cut off reads as another figure, and stays clear of the rules at its box's edges: one
        // too wide is drawn condensed, and smaller as well rather than squeezed beyond legibility.
        const double room = box.width() - 2 * kTextInset;
        if (width > room && room > 0 && width > 0) {
            p.scaleX = room / width;
            p.scaleY = std::min(1.0, p.scaleX / kLeastCondensed);
            p.width = room;
            x = box.left() + kTextInset;
        } else if (x < box.left() + kTextInset || x + width > box.right() - kTextInset) {
            x = std::clamp(x, box.left() + kTextInset, box.right() - kTextInset - width);
        }
    } else if (x < box.left() || x + width > box.right()) {
        // Text wider than its box is drawn somewhat condensed, which keeps most names whole; what still does
        // not fit keeps its start and is cut at the end, whatever its alignment.
        const double room = box.width() - 2 * kTextInset;
        x = box.left() + kTextInset;
        if (room > 0 && width > 0) {
            p.scaleX = std::max(room / width, kMildlyCondensed);
            p.width = width * p.scaleX;
        }
        if (p.width > room)
            p.clip = box;
    }
    p.start = QPointF(x, box.top() + f.metrics.ascent()); // a smaller amount keeps the line's baseline
    return p;
}

std::vector<TextPlacement> ReportRenderer::placeTexts(const ReportSection& section, int page, std::size_t row) const {
    std::vector<TextPlacement> placed;
    for (const ReportControl& control : section.controls) {
        if (control.kind == ControlKind::Line || control.kind == ControlKind::BarChart || control.wordWrap)
            continue;
        const QString text = textOf(control, page, row);
        if (text.isEmpty() && control.run == 0)
            continue;
        placed.push_back(placeText(control, text));
    }
    // The words of a run stay apart by at least a blank, however many digits a page number has.
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const ReportControl& c = *placed[i].control;
        if (c.run == 0)
            continue;
        const double blank = fontOf(c).metrics.horizontalAdvance(QLatin1Char(' '));
        for (std::size_t j = i; j-- > 0;) {
            const TextPlacement& before = placed[j];
            if (before.control->run != c.run || before.control->top != c.top)
                continue;
            if (before.text.isEmpty())
                continue;
            const double least = before.start.x() + before.width + blank;
            if (placed[i].start.x() < least) {
                const double shift = least - placed[i].start.x();
                placed[i].start.rx() += shift;
                placed[i].clip.translate(shift, 0);
            }
            break;
        }
    }
    return placed;
}

void ReportRenderer::drawPlaced(QPainter& painter, const TextPlacement& placed, int top) const {
    if (placed.text.isEmpty())
        return;
    const Font& f = fontOf(*placed.control);
    if (current_ != &f) {
        painter.setFont(f.font);
        current_ = &f;
    }
    const QPointF baseline = placed.start + QPointF(0, top);
    const bool clipped = !placed.clip.isEmpty();
    const bool scaled = placed.scaleX != 1.0 || placed.scaleY != 1.0;
    if (!clipped && !scaled) {
        painter.drawText(baseline, placed.text);
        return;
    }
    painter.save();
    if (clipped)
        painter.setClipRect(placed.clip.translated(0, top), Qt::IntersectClip);
    painter.translate(baseline);
    painter.scale(placed.scaleX, placed.scaleY);
    painter.drawText(QPointF(0, 0), placed.text);
    painter.restore();
}

namespace {
// The step of a chart's scale: 1, 2 or 5 times a power of ten, giving at most about five divisions.
double scaleStep(double largest) {
    if (!(largest > 0))
        return 1;
    const double rough = largest / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return std::max(1.0, factor * power);
    }
    return std::max(1.0, 10 * power);
}
} // namespace

void ReportRenderer::drawBarChart(QPainter& painter, const ReportControl& control, int top, std::size_t row) const {
    const QStringList labels = rows_->value(row, control.labelField).toStringList();
    std::vector<double> values;
    for (const QVariant& v : rows_->value(row, control.dataField).toList()) {
        const double value = v.toDouble();
        values.push_back(std::isfinite(value) && value > 0 ? value : 0.0);
    }
    const Font& f = fontOf(control);
    if (current_ != &f) {
        painter.setFont(f.font);
        current_ = &f;
    }
    const QFontMetricsF& m = f.metrics;
    const double largest = values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
    const double step = scaleStep(largest);
    const int divisions = std::max(1, static_cast<int>(std::ceil(largest / step - 1e-9)));
    const double scaleTop = divisions * step;

    const QRectF box(control.left, top + control.top, control.width, control.height);
    double scaleWidth = 0;
    for (int k = 0; k <= divisions; ++k)
        scaleWidth = std::max(scaleWidth, m.horizontalAdvance(FormatNumber(k * step, control.format)));
    // Room above the plot for the tallest bar's value, below it for the category names.
    const QRectF plot(QPointF(box.left() + scaleWidth + 3 * kTextInset, box.top() + m.height()),
                      QPointF(box.right() - kTextInset, box.bottom() - 1.5 * m.height()));
    if (plot.width() <= 0 || plot.height() <= 0)
        return;

    const double slot = values.empty() ? plot.width() : plot.width() / static_cast<double>(values.size());
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(128, 128, 128)); // prints as a mid grey on any printer
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double height = plot.height() * values[i] / scaleTop;
        if (height > 0)
            painter.drawRect(QRectF(plot.left() + slot * static_cast<double>(i) + slot * 0.2, plot.bottom() - height,
                                    slot * 0.6, height));
    }
    painter.restore();

    // The axes, the scale's marks and numbers.
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    for (int k = 0; k <= divisions; ++k) {
        const double y = plot.bottom() - plot.height() * k / divisions;
        painter.drawLine(QPointF(plot.left() - kTextInset, y), QPointF(plot.left(), y));
        const QString text = FormatNumber(k * step, control.format);
        painter.drawText(QPointF(plot.left() - 2 * kTextInset - m.horizontalAdvance(text), y + m.ascent() / 2 - 10),
                         text);
    }
    // Each bar's value above it where it fits; the category names below, as many as have room.
    double widest = 0;
    for (const QString& label : labels)
        widest = std::max(widest, m.horizontalAdvance(label));
    const std::size_t every =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil((widest + kTextInset) / slot)));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double centre = plot.left() + slot * (static_cast<double>(i) + 0.5);
        const QString value = FormatNumber(values[i], control.format);
        const double width = m.horizontalAdvance(value);
        if (values[i] > 0 && width <= slot) {
            const double barTop = plot.bottom() - plot.height() * values[i] / scaleTop;
            painter.drawText(QPointF(centre - width / 2, barTop - m.descent() - 10), value);
        }
        if (i < static_cast<std::size_t>(labels.size()) && i % every == 0) {
            const QString& label = labels.at(static_cast<qsizetype>(i));
            painter.drawText(QPointF(centre - m.horizontalAdvance(label) / 2, plot.bottom() + m.ascent() + 40), label);
        }
    }
}

void ReportRenderer::paintSection(QPainter& painter, const ReportSection& section, int top, int page,
                                  std::size_t row) const {
    if (section.height <= 0 && section.controls.empty())
        return;
    for (const TextPlacement& placed : placeTexts(section, page, row))
        drawPlaced(painter, placed, top);
    std::vector<QLineF> lines;
    for (const ReportControl& control : section.controls) {
        if (control.kind == ControlKind::Line)
            lines.emplace_back(control.left, top + control.top, control.left + control.width,
                               top + control.top + control.height);
        else if (control.kind == ControlKind::BarChart)
            drawBarChart(painter, control, top, row);
        else if (control.wordWrap)
            drawWrapped(painter, control, top, textOf(control, page, row));
    }
    if (!lines.empty())
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void ReportRenderer::paintPage(QPainter& painter, int page) const {
    const QPaintDevice* device = painter.device();
    paintPage(painter, page, device ? device->logicalDpiX() : kTwipsPerInch,
              device ? device->logicalDpiY() : kTwipsPerInch);
}

void ReportRenderer::paintPage(QPainter& painter, int page, double dotsPerInchX, double dotsPerInchY) const {
    if (page < 0 || page >= pageCount())
        return;
    const Page& p = pages_[static_cast<std::size_t>(page)];
    painter.save();
    current_ = nullptr;
    painter.scale(dotsPerInchX / kTwipsPerInch, dotsPerInchY / kTwipsPerInch);
    QPen pen(Qt::black);
    pen.setWidthF(kLineWidth);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    int y = 0;
    paintSection(painter, def_.pageHeader, y, page, 0);
    y += def_.pageHeader.height;
    if (p.reportHeader) {
        paintSection(painter, def_.reportHeader, y, page, 0);
        y += def_.reportHeader.height;
    }
    if (p.repeated) {
        paintSection(painter, *p.repeated, y, page, p.firstRow);
        y += p.repeated->height;
    }
    for (std::size_t i = 0; i < p.rowCount; ++i) {
        const ReportSection& section = sectionOf(p.firstRow + i);
        paintSection(painter, section, y, page, p.firstRow + i);
        y += section.height;
    }
    if (p.reportFooter)
        paintSection(painter, def_.reportFooter, y, page, 0);
    // The page footer sits at the bottom of every page, however full the page is.
    paintSection(painter, def_.pageFooter, PrintableHeight(def_) - def_.pageFooter.height, page, 0);
    painter.restore();
}

std::vector<int> PageSequence(int pageCount, const PageRun& run) {
    std::vector<int> pages;
    if (pageCount <= 0)
        return pages;
    const int first = std::clamp(run.fromPage > 0 ? run.fromPage - 1 : 0, 0, pageCount - 1);
    const int last = std::clamp(run.toPage > 0 ? run.toPage - 1 : pageCount - 1, first, pageCount - 1);
    std::vector<int> range;
    for (int page = first; page <= last; ++page)
        range.push_back(page);
    if (run.reverse)
        std::reverse(range.begin(), range.end());
    const int copies = std::max(run.copies, 1);
    if (run.collate) {
        for (int copy = 0; copy < copies; ++copy)
            pages.insert(pages.end(), range.begin(), range.end());
    } else {
        for (int page : range)
            pages.insert(pages.end(), static_cast<std::size_t>(copies), page);
    }
    return pages;
}

bool RenderReport(const ReportRenderer& renderer, QPagedPaintDevice& device, const PageRun& run) {
    const std::vector<int> pages = PageSequence(renderer.pageCount(), run);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        renderer.paintPage(painter, pages[i]);
    }
    return painter.end();
}

bool ExportReportPdf(const ReportRenderer& renderer, const QString& fileName) {
    QPdfWriter writer(fileName);
    writer.setCreator(QStringLiteral("Odomark"));
    writer.setTitle(renderer.definition().documentName);
    writer.setResolution(1200);
    if (!writer.setPageLayout(PageLayoutOf(renderer.definition())))
        return false;
    // QPdfWriter opens its file when painting begins: a path that cannot be written fails there.
    return RenderReport(renderer, writer);
}
