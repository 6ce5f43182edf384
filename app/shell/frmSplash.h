#pragma once
// The window shown during start-up while the main window loads.

#include <QWidget>

class QLabel;
class QProgressBar;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    // Shows the window and runs the whole progress sequence before it returns.
    void Form_Load();
    // Steps the bar from 0 to 16 by 2, waiting for the clock's next second after each step but the last.
    void ShowProgress();

    // Measuring the start-up leaves the waits out; the steps stay the same.
    static void setWaiting(bool waiting);

private:
    QLabel* lblVersion_ = nullptr;
    QLabel* Image1_ = nullptr;
    QProgressBar* proBar_ = nullptr;
};
