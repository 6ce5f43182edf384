#pragma once
#include <QWidget>

#include <vector>

class QComboBox;
class DateBox;
class QKeyEvent;
class QPushButton;
class QRadioButton;

// The small window that picks the year summary's period: a calendar year that has trips, or a range
// of dates; Preview opens the summary's preview.
class frmYearSummary : public QWidget {
    Q_OBJECT
public:
    explicit frmYearSummary(QWidget* parent = nullptr);

    void cmdPreview_Click();
    void cmdExit_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void optionChanged();
    void fillYears(const std::vector<int>& years);

    QRadioButton* optYear_ = nullptr;
    QComboBox* cboYear_ = nullptr;
    QRadioButton* optRange_ = nullptr;
    DateBox* dtpFrom_ = nullptr;
    DateBox* dtpTo_ = nullptr;
    QPushButton* cmdPreview_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};
