#pragma once
// The first-use profile window: shown modally at start-up when no profile is stored.

#include <QDialog>

class ProfileFields;
class QPushButton;

class frmAddOwner : public QDialog {
    Q_OBJECT
public:
    // Builds the window and runs its load, which creates a new objTrip.
    explicit frmAddOwner(QWidget* parent = nullptr);

    ProfileFields* fields() const { return fields_; }
    bool profileStored() const { return stored_; }

    void cmdSave_Click();
    void cmdExit_Click();

public slots:
    // Escape does not leave the window: leaving it ends the program, so only e&Xit does that.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();

    ProfileFields* fields_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    bool stored_ = false;
};
