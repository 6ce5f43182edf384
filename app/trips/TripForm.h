#pragma once
// What the new-trip and the trip editing windows share: the fields with their captions, tool-tips,
// limits and tab order, the Enter-key walk, Clear and Exit, the opening steps, the validation and the
// gathering-and-totals sequence that hands a trip to the library.

#include "platform/DateBox.h"
#include "tripdata/TripRules.h"
#include "trips/TripTextBox.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class FitScrollArea;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QVBoxLayout;

class TripForm : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Add, Edit };

    std::array<TripTextBox*, kTripFieldCount> txtBox{};
    DateBox* datBox = nullptr;
    QPlainTextEdit* rtBox = nullptr;
    std::array<QLabel*, 2> imgBox{};
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdDelete = nullptr; // the editing window only
    QPushButton* cmdExit = nullptr;

    // Enter (13) in a field is swallowed and moves the focus on; every other key passes unchanged.
    void txtBox_KeyPress(int Index, int& KeyAscii);
    void cmdExit_Click();
    virtual void cmdClear_Click() = 0;
    virtual void cmdSave_Click() = 0;

    // The fourteen checks and the range checks; on a failure shows its message and focuses the field.
    bool ValidateTripFields();
    // The trip date read as a whole: a calendar date within the range (or the stored date unchanged);
    // otherwise its message and the focus on the date.
    bool ValidateTripDate();

    TripFieldTexts fieldTexts() const;
    void setFieldTexts(const TripFieldTexts& texts);

    // Before the window goes (e&Xit, Escape, its close box, the program's Exit): when its fields hold unsaved
    // input, asks Save, Discard or Cancel. Save runs the window's own checks and save. True when the window
    // may close; false keeps it open.
    bool Form_QueryUnload();

protected:
    TripForm(Kind kind, QWidget* parent);

    // Opening steps, each skipped quietly when it fails; the windows run them in their own order.
    void ClearClipboard();
    void LoadFormIcon();
    void LoadPictures(const QString& first, const QString& second);
    void SetFormCaption();
    // Puts a widget (the trip list) above the fields, first in the tab order, with a splitter between them.
    void placeAbove(QWidget* widget);
    QSplitter* splitter() const { return splitter_; }
    // More buttons in the row of buttons, before e&Xit, in the tab order there too.
    void addButtonsBeforeExit(const QList<QPushButton*>& more);
    // Closes (unloads) the window after its own save or delete; nothing is asked.
    void closeForm();
    // What the fields hold now counts as loaded: after opening, Clear, loading a trip and a stored save.
    void markLoaded();
    virtual bool HasUnsavedInput() const;
    virtual QString UnsavedQuestion() const = 0;
    // Save as the close question's answer: checks and stores the trip, without asking what comes next.
    // True when it was stored.
    virtual bool SaveBeforeClose() = 0;
    void closeEvent(QCloseEvent* event) override;
    // Date back to today, every field and the notes emptied.
    void clearFields();

    // Steps 1 to 13 of a save: hourglass, identifier, value set and totals (rewriting Total Miles
    // when the odometers give the miles), the library call, default pointer. False when the identifier
    // could not be had or the library did not store the trip.
    bool GatherAndStore(const std::function<std::optional<QString>()>& tripId, bool update);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QVBoxLayout* outer_ = nullptr;
    FitScrollArea* fieldArea_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    Kind kind_;
    TripInput loaded_;
    bool closing_ = false; // the window closes itself after a save or delete
};
