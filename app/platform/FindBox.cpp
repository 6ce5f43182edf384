#include "platform/FindBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>

namespace {
// Escape empties a box that holds text; an empty box leaves Escape to its window.
class EscapeClears : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            auto* box = qobject_cast<QLineEdit*>(watched);
            if (box && !box->text().isEmpty()) {
                box->clear();
                return true;
            }
        }
        return false;
    }
};
} // namespace

QLineEdit* NewFindBox(QWidget* parent, QWidget* window, const QString& placeholder) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("txtFind"));
    box->setClearButtonEnabled(true);
    box->setPlaceholderText(placeholder);
    box->installEventFilter(new EscapeClears(box));
    auto* find = new QShortcut(QKeySequence::Find, window);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(find, &QShortcut::activated, box, [box] {
        box->setFocus(Qt::ShortcutFocusReason);
        box->selectAll();
    });
    return box;
}
