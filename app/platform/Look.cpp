#include "platform/Look.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <cmath>

void InstallLayoutFonts() {
    // Free faces of the same kind, installed by the set-up: a rounded casual face, a plain sans, the metric
    // twins of the classic sans, serif and typewriter faces.
    static const struct {
        const char* layout;
        const char* installed;
    } map[] = {
        {"Comic Sans MS", "Comic Neue"}, {"MS Sans Serif", "DejaVu Sans"},        {"Verdana", "DejaVu Sans"},
        {"Arial", "Liberation Sans"},    {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
    };
    for (const auto& entry : map) {
        const QString layout = QString::fromLatin1(entry.layout);
        if (!QFontDatabase::hasFamily(layout))
            QFont::insertSubstitution(layout, QString::fromLatin1(entry.installed));
    }
}

namespace {
double luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

QColor mix(const QColor& from, const QColor& to, double t) {
    const QColor a = from.toRgb(), b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

constexpr double kReadable = 4.5;
// A colour that has to be moved is moved well past the minimum: styles shade button faces.
constexpr double kMovedTo = 7.0;
} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {
// wanted when it reaches least on background; otherwise moved toward black or white until it reaches target.
QColor contrasting(const QColor& background, const QColor& wanted, double least, double target) {
    if (ContrastRatio(background, wanted) >= least)
        return wanted;
    // Toward black on a light background, toward white on a dark one; the end point always reads.
    const QColor end = ContrastRatio(background, Qt::black) >= ContrastRatio(background, Qt::white) ? QColor(Qt::black)
                                                                                                    : QColor(Qt::white);
    for (int step = 1; step < 20; ++step) {
        const QColor candidate = mix(wanted, end, step / 20.0);
        if (ContrastRatio(background, candidate) >= target)
            return candidate;
    }
    return end;
}

constexpr double kBorder = 3.0;

// A text field's or list's frame: the platform's own style for everything else.
class ReadableFrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const bool field =
            element == PE_FrameLineEdit || (element == PE_Frame && qobject_cast<const QAbstractScrollArea*>(widget));
        if (!field) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // The window's colour is what the border has to stand out from; the focus keeps its highlight.
        const QPalette& palette = option->palette;
        const QColor window = palette.color(QPalette::Window);
        const bool focus = option->state & State_HasFocus;
        const QColor line = BorderOn(window, focus ? palette.color(QPalette::Highlight)
                                                   : mix(window, palette.color(QPalette::WindowText), 0.35));
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(line, 1));
        const QRectF outer = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
        painter->drawRoundedRect(outer, 2, 2);
        if (focus)
            painter->drawRoundedRect(outer.adjusted(1, 1, -1, -1), 1, 1);
        painter->restore();
    }
};
} // namespace

QColor ReadableOn(const QColor& background, const QColor& wanted) {
    return contrasting(background, wanted, kReadable, kMovedTo);
}

QColor BorderOn(const QColor& background, const QColor& wanted) {
    // A little past the minimum: the rounded corners are drawn lighter.
    return contrasting(background, wanted, kBorder, kBorder + 0.3);
}

void InstallReadableFrames() {
    if (dynamic_cast<ReadableFrameStyle*>(QApplication::style()))
        return;
    QApplication::setStyle(new ReadableFrameStyle(QStyleFactory::create(QApplication::style()->name())));
}

void SetColours(QWidget* widget, const QColor& background, const QColor& text) {
    if (!widget)
        return;
    const QPalette inherited = QApplication::palette(widget);
    QPalette palette = widget->palette();
    const QPalette::ColorRole backRole = widget->backgroundRole(), textRole = widget->foregroundRole();
    const QColor back = background.isValid() ? background : inherited.color(backRole);
    const QColor fore = ReadableOn(back, text.isValid() ? text : inherited.color(textRole));
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        // Buttons paint with the button roles, captions with the window roles: both are set.
        for (const QPalette::ColorRole role : {backRole, QPalette::Button, QPalette::Window})
            palette.setColor(group, role, back);
        for (const QPalette::ColorRole role : {textRole, QPalette::ButtonText, QPalette::WindowText})
            palette.setColor(group, role, fore);
    }
    widget->setPalette(palette);
    if (background.isValid() && qobject_cast<QLabel*>(widget))
        widget->setAutoFillBackground(true);
}
