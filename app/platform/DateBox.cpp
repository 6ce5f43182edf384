#include "platform/DateBox.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The calendar's drop-down frame: closes on Escape like any drop-down list.
class CalendarPopup : public QFrame {
public:
    explicit CalendarPopup(QWidget* owner) : QFrame(owner, Qt::Popup) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setAttribute(Qt::WA_WindowPropagation);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            hide();
            return;
        }
        QFrame::keyPressEvent(event);
    }
};

bool isSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

} // namespace

DateBox::DateBox(const Form& form, QWidget* parent)
    : QLineEdit(parent), form_(form), minimum_(QDate(100, 1, 1)), maximum_(QDate(9999, 12, 31)) {
    setPlaceholderText(QStringLiteral("m/d/yyyy"));
    QAction* dropDown = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    dropDown->setObjectName(QStringLiteral("datBoxCalendar"));
    dropDown->setToolTip(QStringLiteral(" Click the down-arrow for drop-down calendar "));
    connect(dropDown, &QAction::triggered, this, &DateBox::showCalendar);

    popup_ = new CalendarPopup(this);
    calendar_ = new QCalendarWidget(popup_);
    calendar_->setObjectName(QStringLiteral("datBoxCalendarWidget"));
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(calendar_);
    connect(calendar_, &QCalendarWidget::clicked, this, &DateBox::picked);
    connect(calendar_, &QCalendarWidget::activated, this, &DateBox::picked);
    connect(this, &QLineEdit::editingFinished, this, &DateBox::normalise);
}

QDate DateBox::date() const {
    return form_.read(text());
}

void DateBox::setDate(const QDate& date) {
    stored_ = QDate();
    if (date.isValid())
        setText(form_.write(std::clamp(date, minimum_, maximum_)));
}

void DateBox::setStoredDate(const QDate& date, const QString& storedText) {
    stored_ = date;
    setText(date.isValid() ? form_.write(date) : storedText);
    setCursorPosition(0);
}

void DateBox::setDateRange(const QDate& minimum, const QDate& maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    calendar_->setDateRange(minimum, maximum);
}

bool DateBox::isCalendarShown() const {
    return popup_->isVisible();
}

void DateBox::showCalendar() {
    const QDate current = date();
    calendar_->setSelectedDate(std::clamp(current.isValid() ? current : QDate::currentDate(), minimum_, maximum_));
    popup_->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        // Above the box when there is no room below it.
        const QRect room = screen->availableGeometry();
        if (at.y() + popup_->height() > room.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - popup_->height());
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - popup_->width())));
    }
    popup_->move(at);
    popup_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void DateBox::picked(const QDate& date) {
    popup_->hide();
    setDate(date);
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void DateBox::normalise() {
    const QDate read = date();
    if (read.isValid() && text() != form_.write(read))
        setText(form_.write(read));
}

void DateBox::step(int delta) {
    const QString current = text();
    QDate read = form_.read(current);
    // Which part the cursor is in: counted by the separators before it, in the order the text uses.
    const int before = static_cast<int>(
        std::count_if(current.begin(), current.begin() + cursorPosition(), [](QChar c) { return isSeparator(c); }));
    const qsizetype firstEnd = std::find_if(current.begin(), current.end(), isSeparator) - current.begin();
    const bool yearFirst = read.isValid() && firstEnd == 4;
    enum Part { Month, Day, Year };
    static const Part usOrder[3] = {Month, Day, Year};
    static const Part isoOrder[3] = {Year, Month, Day};
    const Part part = (yearFirst ? isoOrder : usOrder)[before < 2 ? before : 2];
    if (!read.isValid()) {
        read = QDate::currentDate();
    } else if (part == Month) {
        read = read.addMonths(delta);
    } else if (part == Day) {
        read = read.addDays(delta);
    } else {
        read = read.addYears(delta);
    }
    setDate(read);
    // Select the same part again, so that the next key steps or replaces it.
    const QStringList parts = text().split(QLatin1Char('/'));
    const int index = part == Month ? 0 : part == Day ? 1 : 2;
    int start = 0;
    for (int i = 0; i < index; ++i)
        start += static_cast<int>(parts[i].size()) + 1;
    setSelection(start, static_cast<int>(parts[index].size()));
}

void DateBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    selectOnClick_ = reason == Qt::MouseFocusReason;
    // A date the user has not edited yet is replaced as a whole by what is typed next, however the focus
    // came (opening the window, a message, a Tab); the mouse case is settled by the click itself.
    if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason && !isModified())
        selectAll();
}

void DateBox::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    // Selected at the press already, in case the release goes elsewhere (a window being activated).
    if (event->button() == Qt::LeftButton && (selectOnClick_ || !isModified()))
        selectAll();
}

void DateBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    // A click into a date not yet edited selects all of it, as a Tab does; a drag or double click keeps
    // its own selection, and once the date is edited a click places the caret.
    if ((selectOnClick_ || !isModified()) && !hasSelectedText())
        selectAll();
    selectOnClick_ = false;
}

void DateBox::keyPressEvent(QKeyEvent* event) {
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (event->key() == Qt::Key_F4 || (alt && event->key() == Qt::Key_Down)) {
        showCalendar();
        return;
    }
    if (!alt && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    QLineEdit::keyPressEvent(event);
}
