#pragma once
#include <QWidget>

// The new-trip window.
class frmAddTrip : public QWidget {
    Q_OBJECT
public:
    explicit frmAddTrip(QWidget* parent = nullptr);
};
