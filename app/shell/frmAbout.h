#pragma once
// The about box.

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    // Loads icon, caption, version and text in that order; false at the first step that fails,
    // and then the box is not to be opened.
    bool Form_Load();
    void cmdOK_Click();

private:
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QTextEdit* rtBox_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};
