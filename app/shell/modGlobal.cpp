#include "shell/modGlobal.h"

#include "platform/TripLoader.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QThread>
#include <QWidget>

std::shared_ptr<_Trip> objTrip;
RecordsetPtr rsTrip;
QTreeWidgetItem* itmTrip = nullptr;
QString strFullName;
std::shared_ptr<DbConnection> conTrips;

namespace {
QString testPath;
} // namespace

namespace App {
QString Path() {
    if (!testPath.isEmpty())
        return testPath;
    return QCoreApplication::applicationDirPath();
}
QString Title() { return QStringLiteral("Odomark"); }
int Major() { return ODOMARK_VERSION_MAJOR; }
int Minor() { return ODOMARK_VERSION_MINOR; }
QString Caption() { return Title() + QStringLiteral("  -  ") + QString::number(Major()) + "." + QString::number(Minor()); }
void setPathForTesting(const QString& path) { testPath = path; }
} // namespace App

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
QMdiArea* findMdiArea() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* area = top->findChild<QMdiArea*>(QString(), Qt::FindDirectChildrenOnly))
            return area;
        if (auto* area = top->findChild<QMdiArea*>())
            return area;
    }
    return nullptr;
}
} // namespace

void ShowChild(QWidget* frm) {
    if (!frm)
        return;
    QMdiArea* area = findMdiArea();
    if (area) {
        QMdiSubWindow* sub = nullptr;
        for (QMdiSubWindow* s : area->subWindowList()) {
            if (s->widget() == frm)
                sub = s;
        }
        if (!sub) {
            sub = area->addSubWindow(frm);
            sub->setAttribute(Qt::WA_DeleteOnClose);
        }
        sub->show();
        frm->show();
        area->setActiveSubWindow(sub);
        return;
    }
    frm->show();
    frm->raise();
    frm->activateWindow();
}

void Arrange(int arrangement) {
    QMdiArea* area = findMdiArea();
    if (!area)
        return;
    if (arrangement == 0)
        area->cascadeSubWindows();
    else if (arrangement == 1 || arrangement == 2)
        area->tileSubWindows(); // the main window lays out the two tilings itself
}

void ShutDown() { QCoreApplication::exit(0); }
