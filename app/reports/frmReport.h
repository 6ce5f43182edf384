#pragma once
#include <QWidget>

// The trip selection window that leads to the expense report.
class frmReport : public QWidget {
    Q_OBJECT
public:
    explicit frmReport(QWidget* parent = nullptr);
};
