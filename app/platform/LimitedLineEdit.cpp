#include "platform/LimitedLineEdit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Where the first count characters of text end, in code units.
int visibleEnd(const QString& text, int count) {
    if (count <= 0)
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    for (qsizetype at = finder.toNextBoundary(); at >= 0; at = finder.toNextBoundary()) {
        if (++seen == count)
            return static_cast<int>(at);
    }
    return static_cast<int>(text.size());
}

// A position moved back (or on) to the nearest character boundary of text.
int boundaryBefore(const QString& text, int position) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position);
    return finder.isAtBoundary() ? position : static_cast<int>(std::max<qsizetype>(finder.toPreviousBoundary(), 0));
}

int boundaryAfter(const QString& text, int position) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position);
    if (finder.isAtBoundary())
        return position;
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? static_cast<int>(text.size()) : static_cast<int>(next);
}

// A one-line box takes pasted or dropped lines as one line.
QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

int VisibleLength(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

QString LeftVisible(const QString& text, int count) {
    return text.left(visibleEnd(text, count));
}

LimitedLineEdit::LimitedLineEdit(QWidget* parent) : QLineEdit(parent) {
    // textEdited comes just before the textChanged of the same change; a textChanged alone is the
    // program's setText.
    connect(this, &QLineEdit::textEdited, this, [this] {
        edited_ = true;
        editing_ = true;
    });
    connect(this, &QLineEdit::textChanged, this, [this](const QString& now) {
        if (!editing_)
            programText_ = now;
        editing_ = false;
    });
}

bool LimitedLineEdit::event(QEvent* event) {
    // Every way the user puts text in arrives as an event to the box (keys, input method, mouse
    // buttons, drop, the context menu), so the edit is judged once the event has been handled.
    if (depth_ > 0)
        return QLineEdit::event(event);
    const QString before = text();
    edited_ = false;
    const QPointer<LimitedLineEdit> alive(this); // the event may close the window that holds the box
    ++depth_;
    const bool handled = QLineEdit::event(event);
    if (!alive)
        return handled;
    --depth_;
    if (edited_ && !isReadOnly())
        limitEdit(before);
    edited_ = false;
    return handled;
}

void LimitedLineEdit::keyPressEvent(QKeyEvent* event) {
    // A key whose character would only be cut off again types nothing, so the undo steps stay.
    const QString typed = event->text();
    const bool types = !typed.isEmpty() && typed.at(0).isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (types && !isReadOnly() && !hasSelectedText()) {
        QString after = text();
        after.insert(cursorPosition(), typed);
        if (after != programText_ && VisibleLength(after) > std::max(maxTyped_, VisibleLength(text()))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void LimitedLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    // The menu runs inside this event (not as a free popup), so its Paste is judged like any edit.
    QPointer<QMenu> menu = createStandardContextMenu();
    menu->exec(event->globalPos());
    delete menu.data();
}

void LimitedLineEdit::limitEdit(const QString& before) {
    const QString now = text();
    if (now == before || now == programText_)
        return;
    // The edit replaced the middle of the old text: what follows the cursor was there before (the
    // box puts the cursor after what was inserted), and the common start of both texts is kept.
    const int size = static_cast<int>(now.size());
    int tail = size - cursorPosition();
    if (tail > before.size() || !before.endsWith(QStringView(now).mid(cursorPosition()))) {
        tail = 0;
        while (tail < size && tail < before.size() && now.at(size - 1 - tail) == before.at(before.size() - 1 - tail))
            ++tail;
    }
    int head = 0;
    const int headMax = std::min(size, static_cast<int>(before.size())) - tail;
    while (head < headMax && now.at(head) == before.at(head))
        ++head;
    head = boundaryBefore(now, head);
    const int tailStart = std::max(head, boundaryAfter(now, size - tail));
    const QString kept = now.left(head);
    const QString after = now.mid(tailStart);
    const QString inserted = now.mid(head, tailStart - head);

    QString fitted = oneLine(inserted);
    const int ceiling = std::max(maxTyped_, VisibleLength(before));
    if (VisibleLength(kept + fitted + after) > ceiling) {
        fitted = LeftVisible(fitted, std::max(0, ceiling - VisibleLength(kept + after)));
        // A character that joins its neighbours may count differently in place.
        while (!fitted.isEmpty() && VisibleLength(kept + fitted + after) > ceiling)
            fitted.chop(static_cast<int>(fitted.size()) - visibleEnd(fitted, VisibleLength(fitted) - 1));
    }
    if (fitted == inserted)
        return;
    setText(kept + fitted + after);
    setCursorPosition(static_cast<int>(kept.size() + fitted.size()));
    setModified(true);
}
