#include "trips/TripTextBox.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

TripTextBox::TripTextBox(QWidget* parent) : QLineEdit(parent) {}

int TripTextBox::room() const {
    return maxTyped_ - static_cast<int>(text().size() - selectedText().size());
}

void TripTextBox::insertLimited(const QString& typed) {
    QString clean = typed;
    clean.remove(QLatin1Char('\r'));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const int free = room();
    if (free <= 0)
        return;
    insert(clean.left(free));
}

void TripTextBox::pasteLimited() {
    if (!isReadOnly())
        insertLimited(QGuiApplication::clipboard()->text());
}

void TripTextBox::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Paste) {
        pasteLimited();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool inserts = !typed.isEmpty() && typed.at(0).isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (inserts && static_cast<int>(typed.size()) > room()) {
        insertLimited(typed);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TripTextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && static_cast<int>(event->commitString().size()) > room()) {
        insertLimited(event->commitString());
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TripTextBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, &TripTextBox::pasteLimited);
        }
    }
    menu->exec(event->globalPos());
    delete menu;
}

void TripTextBox::dropEvent(QDropEvent* event) {
    // Dropped text is input like typed text: what would go beyond the limit is cut off.
    const QString before = text();
    QLineEdit::dropEvent(event);
    const int allowed = qMax(maxTyped_, static_cast<int>(before.size()));
    const int over = static_cast<int>(text().size()) - allowed;
    if (over <= 0)
        return;
    const int end = cursorPosition(); // just after the dropped text
    QString kept = text();
    kept.remove(end - over, over);
    setText(kept);
    setCursorPosition(end - over);
}
