#pragma once
// A date as one text field (the trip date, and every other date the user types): what the user types is read as a whole
// date when the field is left or the trip is saved, never part by part while typing. A drop-down calendar picks a date;
// the Up and Down keys step the month, day or year under the cursor; Tab leaves the field in one press.

#include <QDate>
#include <QLineEdit>
#include <QString>

class QCalendarWidget;
class QFrame;

class DateBox : public QLineEdit {
    Q_OBJECT
public:
    // How the box reads the text typed into it and writes a date: the program's date forms, which the layer
    // that knows them hands in.
    struct Form {
        QDate (*read)(const QString& text);
        QString (*write)(const QDate& date);
    };
    explicit DateBox(const Form& form, QWidget* parent = nullptr);

    // The date the text reads as; invalid when the text is no date.
    QDate date() const;
    // Shows a date; one outside the range is moved to the nearer limit, as the calendar would.
    void setDate(const QDate& date);
    // Shows a stored trip's date as it is, even outside the range, so that saving it unchanged keeps it;
    // a stored text that is no date is shown as it stands.
    void setStoredDate(const QDate& date, const QString& storedText);
    void setDateRange(const QDate& minimum, const QDate& maximum);
    QDate minimumDate() const { return minimum_; }
    QDate maximumDate() const { return maximum_; }
    bool calendarPopup() const { return true; }
    // The stored date shown by setStoredDate, or an invalid date.
    QDate storedDate() const { return stored_; }

    QCalendarWidget* calendarWidget() const { return calendar_; }
    bool isCalendarShown() const;
    void showCalendar();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Rewrites a readable date in the one form the box shows (5/31/10 becomes 5/31/2010).
    void normalise();
    // Steps the part under the cursor by one; an unreadable text starts from today.
    void step(int delta);
    void picked(const QDate& date);

    Form form_;
    QDate minimum_;
    QDate maximum_;
    QDate stored_;
    bool selectOnClick_ = false; // a click that brings the focus selects the whole date
    QFrame* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
};
