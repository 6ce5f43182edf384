#pragma once
// The profile editing window, a child window of the main window.

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

private:
    void Form_Load();
    void LoadProfile();

    ProfileFields* fields_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};
