#pragma once
#include <QWidget>

// The profile editing window.
class frmEditOwner : public QWidget {
    Q_OBJECT
public:
    explicit frmEditOwner(QWidget* parent = nullptr);
};
