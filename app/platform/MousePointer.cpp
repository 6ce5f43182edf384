#include "platform/MousePointer.h"

#include <QApplication>
#include <QCursor>
#include <QVariant>
#include <QWidget>

namespace {
int screenPointer = vbDefault;
const char* const kProperty = "MousePointer";

Qt::CursorShape shapeOf(int value) {
    return value == vbHourglass ? Qt::WaitCursor : Qt::ArrowCursor;
}
} // namespace

namespace Screen {
void setMousePointer(int value) {
    // The screen pointer overrides every window's; default gives the windows their own back.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (value != vbDefault)
        QApplication::setOverrideCursor(QCursor(shapeOf(value)));
    screenPointer = value;
}

int MousePointer() {
    return screenPointer;
}
} // namespace Screen

void SetMousePointer(QWidget* window, int value) {
    if (!window)
        return;
    window->setProperty(kProperty, value);
    if (value == vbDefault)
        window->unsetCursor();
    else
        window->setCursor(shapeOf(value));
}

int MousePointerOf(const QWidget* window) {
    return window ? window->property(kProperty).toInt() : vbDefault;
}
