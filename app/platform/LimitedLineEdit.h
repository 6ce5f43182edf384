#pragma once
// A one-line text box whose maximum length limits what the user puts in only: typing, any paste
// (keys, menu, the middle button's selection), a drop or an input method. Text the program puts in
// (a loaded record, a computed value) may be longer and is kept whole. Lengths count characters as
// users see them, so an emoji or an accented letter made of several code units is one character and
// is never split.

#include <QLineEdit>
#include <QString>

// The number of characters (grapheme clusters) of a text.
int VisibleLength(const QString& text);
// The first count characters of a text, never ending inside a character.
QString LeftVisible(const QString& text, int count);

class LimitedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit LimitedLineEdit(QWidget* parent = nullptr);

    void setMaxTyped(int length) { maxTyped_ = length; }
    int maxTyped() const { return maxTyped_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void limitEdit(const QString& before);

    int maxTyped_ = 32767;
    int depth_ = 0;        // nested events (a context menu's loop) are checked by the outermost one
    bool edited_ = false;  // the user changed the text during the current event
    bool editing_ = false; // set between textEdited and the textChanged that follows it
    QString programText_;  // what the program last put in; undo may bring it back whole
};
