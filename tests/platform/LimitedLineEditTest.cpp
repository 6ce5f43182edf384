// The text box whose maximum length limits the user's input only, counted in characters as seen.
#include "platform/LimitedLineEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(VisibleLength, CountsCharactersAsUsersSeeThem) {
    const struct {
        QString text;
        int length;
        int firstTwoEnd; // code units of the first two characters
    } cases[] = {
        {"", 0, 0},
        {"abc", 3, 2},
        {QString::fromUtf16(u"a\U0001F600b"), 3, 3},           // an emoji is two code units
        {QString::fromUtf16(u"e\u0301x"), 2, 3},               // e with a combining accent
        {QString::fromUtf16(u"\U0001F1FA\U0001F1F8ab"), 3, 5}, // a flag is four code units
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VisibleLength(c.text), c.length) << c.text.toStdString();
        EXPECT_EQ(LeftVisible(c.text, 2), c.text.left(c.firstTwoEnd)) << c.text.toStdString();
    }
    EXPECT_EQ(LeftVisible("abc", 0), "");
    EXPECT_EQ(LeftVisible("abc", 9), "abc");
}

// Where the platform has a primary selection (X11), QLineEdit pastes it on a middle-button release
// through insert(); this test platform has none, so the box does the same with a text the test holds.
class SelectionBox : public LimitedLineEdit {
public:
    QString selection;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::MiddleButton && !isReadOnly()) {
            insert(selection);
            return;
        }
        LimitedLineEdit::mouseReleaseEvent(event);
    }
};

struct Way {
    const char* name;
    bool typed; // key by key: only texts a keyboard gives
    std::function<void(SelectionBox&, const QString&)> put;
};

void contextMenuPaste(SelectionBox& box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            ADD_FAILURE() << "no context menu";
            return;
        }
        for (QAction* action : menu->actions()) {
            // Named from Qt 6.5 on; before that only its text tells it.
            if (action->objectName() == QLatin1String("edit-paste") || action->text().startsWith("&Paste"))
                action->trigger();
        }
        menu->close();
    });
    const QPoint at(5, box.height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, box.mapToGlobal(at));
    QCoreApplication::sendEvent(&box, &event);
}

void drop(SelectionBox& box, const QString& text) {
    QMimeData dragged;
    dragged.setText(text);
    const QPoint at(box.width() - 2, box.height() / 2); // after what is there
    QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &move);
    QDropEvent dropped(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &dropped);
}

const Way ways[] = {
    {"typing", true, [](SelectionBox& box, const QString& text) { QTest::keyClicks(&box, text); }},
    {"Ctrl+V", false,
     [](SelectionBox& box, const QString& text) {
         QGuiApplication::clipboard()->setText(text);
         QTest::keySequence(&box, QKeySequence::Paste);
     }},
    {"context menu paste", false, contextMenuPaste},
    {"middle button", false,
     [](SelectionBox& box, const QString& text) {
         box.selection = text;
         QTest::mouseClick(&box, Qt::MiddleButton, {}, QPoint(box.width() - 2, box.height() / 2));
     }},
    {"drop", false, drop},
    {"input method", false,
     [](SelectionBox& box, const QString& text) {
         QInputMethodEvent event;
         event.setCommitString(text);
         QCoreApplication::sendEvent(&box, &event);
     }},
};

TEST(LimitedLineEdit, EveryWayTheUserPutsTextInStopsAtTheLimitWithoutSplittingACharacter) {
    const QString smile = QString::fromUtf16(u"\U0001F600");
    const struct {
        QString before;
        QString arriving;
        QString after;
        bool typeable;
    } cases[] = {
        {"ab", "cdefgh", "abcde", true},
        {"", "abcdefgh", "abcde", true},
        {"abcd", smile + "xyz", "abcd" + smile, false}, // five characters, six code units
        {"abc", "d" + smile + smile, "abcd" + smile, false},
        {"", "a\r\nb\nc", "a b c", false}, // pasted lines become one line
    };
    for (const Way& way : ways) {
        SelectionBox box;
        box.setMaxTyped(5);
        box.show();
        QApplication::setActiveWindow(&box);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
        for (const auto& c : cases) {
            if (way.typed && !c.typeable)
                continue;
            box.setText(c.before);
            box.end(false);
            way.put(box, c.arriving);
            EXPECT_EQ(box.text(), c.after) << way.name << ": " << c.arriving.toStdString();
        }
    }
}

TEST(LimitedLineEdit, ALongTextTheProgramPutsInIsKeptAndTheUserNeverLengthensIt) {
    LimitedLineEdit box;
    box.setMaxTyped(5);
    box.show();
    QApplication::setActiveWindow(&box);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.setText("abcdefghij");
    EXPECT_EQ(box.text(), "abcdefghij");
    // Replacing part of it may keep its length, not exceed it.
    box.setSelection(2, 2);
    QGuiApplication::clipboard()->setText("XYZ");
    QTest::keySequence(&box, QKeySequence::Paste);
    EXPECT_EQ(box.text(), "abXYefghij");
    // Undo brings back what the program put in, whole.
    box.setText("abcdefghij");
    box.end(false);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_X);
    EXPECT_EQ(box.text(), "abcdefghi");
    QTest::keySequence(&box, QKeySequence::Undo);
    EXPECT_EQ(box.text(), "abcdefghij");
}

} // namespace
