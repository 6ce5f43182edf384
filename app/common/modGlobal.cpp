#include "common/modGlobal.h"

#include "platform/AppInfo.h"
#include "platform/Help.h"
#include "platform/MousePointer.h"
#include "platform/SingleInstance.h"
#include "tripdata/TripLoader.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

std::shared_ptr<_Trip> objTrip;
RecordsetPtr rsTrip;
QPersistentModelIndex itmTrip;
QString strFullName;
std::shared_ptr<DbConnection> conTrips;

void CloseRecordset() {
    if (rsTrip)
        rsTrip->Close();
    rsTrip.reset();
}

namespace {
QString trimBlanks(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

// The editor inside a date picker, spin box or combo box is part of that control, not a text box.
bool isPartOfAnotherControl(const QWidget* box) {
    for (const QWidget* p = box->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QComboBox*>(p))
            return true;
        if (p->isWindow())
            break;
    }
    return false;
}
} // namespace

void TrimTextFields(QWidget* frm) {
    if (!frm)
        return;
    for (QWidget* control : frm->findChildren<QWidget*>()) {
        if (auto* rich = qobject_cast<QTextEdit*>(control)) {
            const QString text = rich->toPlainText();
            const QString trimmed = trimBlanks(text);
            if (trimmed != text)
                rich->setPlainText(trimmed);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
            const QString text = plain->toPlainText();
            const QString trimmed = trimBlanks(text);
            if (trimmed != text)
                plain->setPlainText(trimmed);
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            if (isPartOfAnotherControl(box))
                continue;
            const QString trimmed = trimBlanks(box->text());
            if (trimmed != box->text())
                box->setText(trimmed);
        }
    }
}

bool Delay(std::int16_t intSeconds) {
    // Whole-second clock: the wait ends at the first tick after more than intSeconds seconds.
    const qint64 start = QDateTime::currentSecsSinceEpoch();
    while (QDateTime::currentSecsSinceEpoch() - start <= intSeconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10); // keep the processor free between checks
    }
    return true;
}

int NewTrip() {
    int err = 0;
    auto trip = CreateTripObject(App::Path(), &err);
    objTrip = trip; // the previous object is released here, as a new one replaces it
    return err;
}

namespace {
class HelpKeyFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
            watched->isWidgetType() && !App::HelpFile().isEmpty()) {
            ShowHelpContents(App::HelpFile(), QApplication::activeWindow());
            return true;
        }
        return false;
    }
};

// Enter presses the push or tool button that has the focus, as Space does. Dialogs keep their own rule:
// there Enter presses the default button.
class ButtonEnterFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->isAutoRepeat() ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !(qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button)) ||
            !button->hasFocus() || !button->isEnabled() || qobject_cast<QDialog*>(button->window()))
            return false;
        button->click();
        return true;
    }
};

FinalExit& finalExit() {
    static FinalExit fn;
    return fn;
}
std::function<void()>& reportRelease() {
    static std::function<void()> fn;
    return fn;
}
bool ended = false;
} // namespace

void InstallHelpKey() {
    static HelpKeyFilter* filter = nullptr;
    if (!filter) {
        filter = new HelpKeyFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
}

void InstallButtonEnterKey() {
    static ButtonEnterFilter* filter = nullptr;
    if (!filter) {
        filter = new ButtonEnterFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
}

void SetReportRelease(std::function<void()> release) {
    reportRelease() = std::move(release);
}
void SetFinalExit(FinalExit exitFn) {
    finalExit() = std::move(exitFn);
}
bool ProgramEnded() {
    return ended;
}
void ResetProgramEnded() {
    ended = false;
}

void EndProcess(int exitCode) {
    ended = true;
    SingleInstance::Release();
    if (finalExit()) {
        // In tests the process goes on: the windows are hidden as they would vanish with it.
        for (QWidget* top : QApplication::topLevelWidgets())
            top->hide();
        finalExit()(exitCode);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(exitCode); // at once: no window event runs after this
}

void ShutDown() {
    static bool running = false;
    if (running) // closing a window below would come back here
        return;
    running = true;
    std::fflush(nullptr); // every file the program writes is closed after each entry already
    if (reportRelease())
        reportRelease()();
    objTrip.reset();
    conTrips.reset();
    // The current directory is where the program's relative paths point; there is no drive to set.
    QDir::setCurrent(App::Path());
    Screen::setMousePointer(vbDefault);
    EndProcess(0);
    running = false;
}
