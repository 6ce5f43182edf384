#pragma once
// The main window's client area, with the backdrop picture in its top left corner behind the child windows.

#include <QMdiArea>
#include <QPixmap>

class BackdropArea : public QMdiArea {
    Q_OBJECT
public:
    explicit BackdropArea(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
