#pragma once
// The fields (or lists) of a window in a frameless scroll area that asks for their whole size, so a window
// opens showing all of them where there is room, and asks for little as its least, so on a small screen the
// fields give up height and scroll inside the window while its buttons stay in view. The field that gets the
// focus, by Tab, Enter or a message, scrolls into view.

#include <QScrollArea>

class FitScrollArea : public QScrollArea {
    Q_OBJECT
public:
    // Takes content, laid out as it would be without the scroll area.
    FitScrollArea(QWidget* content, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};
