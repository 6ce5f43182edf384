#pragma once
// The profile editing window, a child window of the main window.

#include <QStringList>
#include <QWidget>

class ProfileFields;
class QPushButton;

class frmEditOwner : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs its load: icon, caption, a new objTrip, the stored profile.
    explicit frmEditOwner(QWidget* parent = nullptr);

    ProfileFields* fields() const { return fields_; }

    void cmdSave_Click();
    void cmdExit_Click();
    // Before the window goes: when the fields differ from the stored profile, asks Save, Discard or Cancel.
    // True when the window may close.
    bool Form_QueryUnload();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void LoadProfile();

    ProfileFields* fields_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QStringList loaded_; // the fields as the stored profile filled them
};
