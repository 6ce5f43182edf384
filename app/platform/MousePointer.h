#pragma once
// The mouse pointer of the screen and of each window, by the values the program uses.

class QWidget;

enum MousePointerValue : int {
    vbDefault = 0,
    vbArrow = 1,
    vbHourglass = 11,
};

namespace Screen {
void setMousePointer(int value);
int MousePointer();
} // namespace Screen

void SetMousePointer(QWidget* window, int value);
int MousePointerOf(const QWidget* window);
