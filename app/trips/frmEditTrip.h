#pragma once
#include <QWidget>

// The trip editing window.
class frmEditTrip : public QWidget {
    Q_OBJECT
public:
    explicit frmEditTrip(QWidget* parent = nullptr);
};
