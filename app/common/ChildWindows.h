#pragma once
// The child windows of the main window: shown in its client area, arranged by the Window menu.

#include <QList>
#include <QRect>
#include <QSize>

class QMdiArea;
class QWidget;

// The client area the child windows go into; the main window hands it in once (null: none, as in tests
// that show windows on their own).
void SetChildArea(QMdiArea* area);
// Shows frm as a child window when there is a client area, as a top-level window otherwise (tests), and
// brings it forward when it is already shown. Closing frm closes its child window frame too, and both are
// deleted; Escape in it closes it.
void ShowChild(QWidget* frm);
// Arranges the child windows: 0 cascade, 1 tile horizontally, 2 tile vertically, 3 arrange icons.
void Arrange(int arrangement);
// The tiling layouts: count rectangles that fill area. Horizontal tiling stacks the windows one
// above the other (in columns once there are more than three), vertical tiling sets them side by side.
// No rectangle is smaller than least: where the area is too small for that, the rectangles fill a larger
// area from the same corner, and the client area scrolls to them.
QList<QRect> TileRects(const QRect& area, int count, bool horizontal, const QSize& least = QSize(0, 0));
