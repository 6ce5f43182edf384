#include "platform/FitScrollArea.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

FitScrollArea::FitScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus); // the tab order runs through the fields, not the area
    setWidget(content);
    content->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // The whole field, not only its text cursor as ensureWidgetVisible would.
        if (!now || !widget() || !widget()->isAncestorOf(now))
            return;
        const QRect field(now->mapTo(widget(), QPoint(0, 0)), now->size());
        ensureVisible(field.center().x(), field.center().y(), field.width() / 2 + 4, field.height() / 2 + 4);
    });
}

QSize FitScrollArea::sizeHint() const {
    if (!widget())
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return widget()->sizeHint() + QSize(frame, frame);
}

QSize FitScrollArea::minimumSizeHint() const {
    if (!widget())
        return QScrollArea::minimumSizeHint();
    // As wide as the content needs beside a vertical scroll bar, so that scrolling is only ever up and down;
    // about three fields high.
    const QSize content = widget()->minimumSizeHint();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int frame = 2 * frameWidth();
    return QSize(content.width() + bar + frame, std::min(content.height(), 6 * fontMetrics().height()) + frame);
}
