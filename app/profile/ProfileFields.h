#pragma once
// The seven profile fields both profile windows show, with their captions, focus highlighting,
// Enter navigation and validation.

#include "platform/LimitedLineEdit.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QPushButton;

// The rules without widgets.
namespace ProfileRules {
constexpr int kFieldCount = 7;
// Caption and maximum typed length of field i (0 Last Name ... 6 Email Address).
QString Caption(int index);
int MaxLength(int index);
// The columns of tblOwner that fill the fields, in field order.
const char* Column(int index);
// The first failing check over the trimmed texts: the field to put the focus in, and the message;
// index -1 when every check passes.
struct Failure {
    int index = -1;
    QString message;
};
Failure Validate(const QStringList& texts);
// True when the fields differ from what was loaded into them; blanks around a text, which Save trims, do
// not count.
bool InputChanged(const QStringList& loaded, const QStringList& shown);
QString FullName(const QString& firstName, const QString& lastName); // "Anne Smith"
QString OwnerId(const QString& lastName);                            // "Smith - 431"
} // namespace ProfileRules

class ProfileFields : public QWidget {
    Q_OBJECT
public:
    explicit ProfileFields(QWidget* parent = nullptr);

    LimitedLineEdit* txtBox(int index) const { return txtBox_[index]; }
    QLabel* lblData(int index) const { return lblData_[index]; }
    QStringList texts() const;
    // The button Enter in the last field moves to (it receives the focus; it is not pressed).
    void setSaveButton(QPushButton* cmdSave) { cmdSave_ = cmdSave; }

    void txtBox_GotFocus(int index);
    void txtBox_LostFocus(int index);
    // Enter moves the focus on and is swallowed (keyAscii becomes 0); other keys pass unchanged.
    void txtBox_KeyPress(int index, int& keyAscii);

    // Checks the fields in order; on the first failure shows its message (window's pointer default
    // first), puts the focus in the failing box and returns false.
    bool ValidateProfile(QWidget* window);
    // The library's text array: 0..6 the fields, 7 the full name, 8 the profile identifier when
    // withOwnerId (first use), else empty.
    std::vector<std::string> ProfileText(bool withOwnerId) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int indexOf(const QObject* box) const;

    LimitedLineEdit* txtBox_[ProfileRules::kFieldCount] = {};
    QLabel* lblData_[ProfileRules::kFieldCount] = {};
    QPushButton* cmdSave_ = nullptr;
};

// The heading above the fields of both windows, in large bold type.
QLabel* MakeProfileHeading(QWidget* parent, const QString& text);
// The Save and Exit buttons of both windows, side by side, after the last field in the tab order.
QWidget* MakeProfileButtons(ProfileFields* fields, QWidget* parent, QPushButton** cmdSave, QPushButton** cmdExit);
// The steps of Save both windows share: trims the window's text boxes, validates, stores the profile
// (insert with its identifier on first use, update otherwise) and reports the result. True when stored.
bool SaveProfile(QWidget* window, ProfileFields* fields, bool firstUse);
