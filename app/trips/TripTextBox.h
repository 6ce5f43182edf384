#pragma once
// A one-line trip field whose maximum length limits typing only: text the program puts into it
// (a loaded trip, a computed Total Miles) may be longer and is kept whole.

#include <QLineEdit>

class TripTextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TripTextBox(QWidget* parent = nullptr);

    void setMaxTyped(int length) { maxTyped_ = length; }
    int maxTyped() const { return maxTyped_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int room() const;
    void insertLimited(const QString& text);
    void pasteLimited();

    int maxTyped_ = 32767;
};
