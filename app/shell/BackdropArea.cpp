#include "shell/BackdropArea.h"

#include <QPainter>

BackdropArea::BackdropArea(QWidget* parent) : QMdiArea(parent) {}

void BackdropArea::setPicture(const QPixmap& picture) {
    picture_ = picture;
    viewport()->update();
}

void BackdropArea::paintEvent(QPaintEvent* event) {
    QMdiArea::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(viewport());
    painter.drawPixmap(0, 0, picture_);
}
