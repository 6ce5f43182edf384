#include "platform/Look.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
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

QColor ReadableOn(const QColor& background, const QColor& wanted) {
    if (ContrastRatio(background, wanted) >= kReadable)
        return wanted;
    // Toward black on a light background, toward white on a dark one; the end point always reads.
    const QColor end = ContrastRatio(background, Qt::black) >= ContrastRatio(background, Qt::white) ? QColor(Qt::black)
                                                                                                    : QColor(Qt::white);
    for (int step = 1; step < 20; ++step) {
        const QColor candidate = mix(wanted, end, step / 20.0);
        if (ContrastRatio(background, candidate) >= kMovedTo)
            return candidate;
    }
    return end;
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
