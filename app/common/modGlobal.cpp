#include "common/modGlobal.h"

#include "platform/Help.h"
#include "platform/LayoutMemory.h"
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
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::shared_ptr<_Trip> objTrip;
RecordsetPtr rsTrip;
QPersistentModelIndex itmTrip;
QString strFullName;
std::shared_ptr<DbConnection> conTrips;

namespace {
QString testPath;
QString helpFile;
} // namespace

namespace App {
QString Path() {
    if (!testPath.isEmpty())
        return testPath;
    return QCoreApplication::applicationDirPath();
}
QString SettingsFile() {
    return Path() + QStringLiteral("/odomark.conf");
}
QString Title() {
    return QStringLiteral("Odomark");
}
int Major() {
    return ODOMARK_VERSION_MAJOR;
}
int Minor() {
    return ODOMARK_VERSION_MINOR;
}
QString Caption() {
    return Title() + QStringLiteral("  -  ") + QString::number(Major()) + "." + QString::number(Minor());
}
void setPathForTesting(const QString& path) {
    testPath = path;
}
QString HelpFile() {
    return helpFile;
}
void setHelpFile(const QString& path) {
    helpFile = path;
}
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
QMdiArea* findMdiArea() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* area = top->findChild<QMdiArea*>(QString(), Qt::FindDirectChildrenOnly))
            return area;
        if (auto* area = top->findChild<QMdiArea*>())
            return area;
    }
    return nullptr;
}

// A child window's frame goes with its window: when the window closes itself (its own exit button),
// the frame is removed and both are deleted, so the next command opens a fresh window.
class ChildCloseWatcher : public QObject {
public:
    ChildCloseWatcher(QWidget* frm, QMdiSubWindow* sub) : QObject(frm), frm_(frm), sub_(sub) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Escape that no control of the window used (a find box with text, an open drop-down) closes the
        // window, as it closes a dialog; the window asks first when it holds unsaved input.
        if (watched == frm_ && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                frm_->close();
                return true;
            }
        }
        if (watched == frm_ && event->type() == QEvent::Close) {
            // Whether the window accepts the close is known only after its own handler has run.
            QPointer<QWidget> frm = frm_;
            QPointer<QMdiSubWindow> sub = sub_;
            QTimer::singleShot(0, [frm, sub] {
                if (sub && (!frm || frm->isHidden()) && !sub->isMinimized()) {
                    sub->hide();
                    sub->deleteLater();
                }
            });
        }
        return false;
    }

private:
    QPointer<QWidget> frm_;
    QPointer<QMdiSubWindow> sub_;
};

// The frame of a child window: it opens, and cascades, at the size its window's layout asks for, or the
// size the user last gave it, as far as the screen allows; the client area scrolls to a frame larger than it.
class ChildFrame : public QMdiSubWindow {
public:
    using QMdiSubWindow::QMdiSubWindow;

    // Keeps the sizes the user gives this window under its name, and opens it at the last one.
    void rememberSizes(const QString& name) {
        name_ = name;
        userSize_ = StoredWindowSize(App::SettingsFile(), name);
    }

    QSize sizeHint() const override {
        QSize hint = userSize_.isEmpty() ? QMdiSubWindow::sizeHint() : userSize_;
        if (const QScreen* s = screen())
            hint = hint.boundedTo(s->availableGeometry().size());
        // Within the client area as well where it is shown: a child that fits needs no scrolling to reach its
        // buttons; its list scrolls sideways instead. Never below what its layout needs.
        if (const QWidget* client = parentWidget(); client && client->isVisible() && !client->size().isEmpty()) {
            // Where the area must scroll one way, its scroll bar takes room from the other.
            QSize room = client->size();
            const QSize least = minimumSizeHint();
            const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
            if (least.height() > room.height())
                room.rwidth() -= bar;
            if (least.width() > room.width())
                room.rheight() -= bar;
            hint = hint.boundedTo(room);
        }
        return hint.expandedTo(minimumSizeHint());
    }

protected:
    // A size the user gives the frame by its edges (mouse) or its system menu's Size (keys) is kept;
    // arranging, maximising and minimising are not sizes the user chose.
    void mousePressEvent(QMouseEvent* event) override {
        before_ = size();
        QMdiSubWindow::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QMdiSubWindow::mouseReleaseEvent(event);
        userResized();
    }
    void keyPressEvent(QKeyEvent* event) override {
        before_ = size();
        QMdiSubWindow::keyPressEvent(event);
        userResized();
    }

private:
    void userResized() {
        if (name_.isEmpty() || size() == before_ || !isVisible() || isMaximized() || isMinimized())
            return;
        userSize_ = size();
        StoreWindowSize(App::SettingsFile(), name_, userSize_);
    }

    QString name_;
    QSize userSize_;
    QSize before_;
};

QMdiSubWindow* subWindowOf(QMdiArea* area, const QWidget* frm) {
    for (QMdiSubWindow* s : area->subWindowList()) {
        if (s->widget() == frm)
            return s;
    }
    return nullptr;
}
} // namespace

void ShowChild(QWidget* frm) {
    if (!frm)
        return;
    QMdiArea* area = findMdiArea();
    if (area) {
        QMdiSubWindow* sub = subWindowOf(area, frm);
        QPointer<QWidget> firstFocus;
        if (!sub) {
            const bool fixedSize = frm->minimumSize() == frm->maximumSize();
            // Reparenting clears the focus the window chose for its first field (its list); give it back below.
            firstFocus = frm->focusWidget();
            auto* frame = new ChildFrame;
            if (!fixedSize)
                frame->rememberSizes(frm->objectName());
            sub = frame;
            sub->setWidget(frm);
            area->addSubWindow(sub);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            if (sub->windowIcon().isNull()) {
                // Without our icon the frame would show the toolkit's logo; a clear icon shows none.
                QPixmap clear(16, 16);
                clear.fill(Qt::transparent);
                sub->setWindowIcon(QIcon(clear));
            }
            if (fixedSize) // a fixed single border: no maximise button, no resizing
                sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
            frm->installEventFilter(new ChildCloseWatcher(frm, sub));
            sub->resize(sub->sizeHint());
        }
        if (sub->isMinimized())
            sub->showNormal();
        sub->show();
        frm->show();
        area->setActiveSubWindow(sub);
        if (firstFocus)
            firstFocus->setFocus(Qt::OtherFocusReason);
        return;
    }
    frm->show();
    frm->raise();
    frm->activateWindow();
}

QList<QRect> TileRects(const QRect& client, int count, bool horizontal, const QSize& least) {
    QList<QRect> rects;
    if (count <= 0 || client.isEmpty())
        return rects;
    // Up to three windows share the area in one column (one row when tiling vertically); more
    // windows form a grid so that none becomes a sliver.
    const int groups = count <= 3 ? 1 : static_cast<int>(std::floor(std::sqrt(static_cast<double>(count))));
    // The fullest group holds this many windows; the area grows until its cells are no smaller than least.
    const int mostInGroup = (count + groups - 1) / groups;
    QRect area = client;
    if (horizontal) {
        area.setWidth(std::max(area.width(), groups * std::max(least.width(), 0)));
        area.setHeight(std::max(area.height(), mostInGroup * std::max(least.height(), 0)));
    } else {
        area.setWidth(std::max(area.width(), mostInGroup * std::max(least.width(), 0)));
        area.setHeight(std::max(area.height(), groups * std::max(least.height(), 0)));
    }
    const int along = horizontal ? area.width() : area.height();
    int placed = 0;
    for (int g = 0; g < groups; ++g) {
        // The later groups take the remainder, one window more each.
        const int inGroup = count / groups + (g >= groups - count % groups ? 1 : 0);
        const int g0 = along * g / groups;
        const int g1 = along * (g + 1) / groups;
        const int across = horizontal ? area.height() : area.width();
        for (int i = 0; i < inGroup; ++i) {
            const int a0 = across * i / inGroup;
            const int a1 = across * (i + 1) / inGroup;
            if (horizontal)
                rects.append(QRect(area.left() + g0, area.top() + a0, g1 - g0, a1 - a0));
            else
                rects.append(QRect(area.left() + a0, area.top() + g0, a1 - a0, g1 - g0));
        }
        placed += inGroup;
    }
    Q_ASSERT(placed == count);
    return rects;
}

namespace {
// Minimised windows line up along the bottom of the client area, left to right, in rows upwards.
// Returns the height the rows take.
int arrangeIcons(QMdiArea* area) {
    const QRect client = area->viewport()->rect();
    int x = client.left();
    int y = client.bottom() + 1;
    int rowHeight = 0;
    int used = 0;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || !sub->isMinimized())
            continue;
        const QSize size = sub->size();
        if (x > client.left() && x + size.width() > client.right() + 1) {
            x = client.left();
            y -= rowHeight;
            rowHeight = 0;
        }
        if (rowHeight == 0)
            rowHeight = size.height();
        sub->move(x, y - size.height());
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
        used = client.bottom() + 1 - (y - rowHeight);
    }
    return used;
}

void tile(QMdiArea* area, bool horizontal) {
    QList<QMdiSubWindow*> windows;
    // The active window comes first, the others in the order they were last used.
    const QList<QMdiSubWindow*> history = area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
        if ((*it)->isVisible() && !(*it)->isMinimized())
            windows.append(*it);
    }
    QRect client = area->viewport()->rect();
    client.setBottom(client.bottom() - arrangeIcons(area));
    const auto fixedSize = [](const QMdiSubWindow* sub) {
        const QWidget* frm = sub->widget();
        return frm && frm->minimumSize() == frm->maximumSize();
    };
    // No window is squeezed below what its layout needs (or, with a fixed border, below its size): the
    // tiles grow instead, and the client area scrolls to them.
    QSize least(0, 0);
    for (QMdiSubWindow* sub : windows) {
        if (sub->isMaximized())
            sub->showNormal();
        least = least.expandedTo(fixedSize(sub) ? sub->size() : sub->minimumSizeHint().expandedTo(sub->minimumSize()));
    }
    const QList<QRect> rects = TileRects(client, static_cast<int>(windows.size()), horizontal, least);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* sub = windows[i];
        // A window with a fixed border keeps its size and only moves to its place.
        sub->setGeometry(fixedSize(sub) ? QRect(rects[i].topLeft(), sub->size()) : rects[i]);
    }
}
} // namespace

void Arrange(int arrangement) {
    QMdiArea* area = findMdiArea();
    if (!area)
        return;
    switch (arrangement) {
    case 0: {
        area->cascadeSubWindows();
        // The cascade's offsets push a window that fills the area over its edges: it gives up the overlap, never
        // below what its layout needs, so that its buttons stay in view.
        const QRect room = area->viewport()->rect();
        for (QMdiSubWindow* sub : area->subWindowList()) {
            const QRect at = sub->geometry();
            if (sub->isVisible() && !sub->isMinimized() && !sub->isMaximized() && !room.contains(at))
                sub->resize(at.size()
                                .boundedTo(QSize(room.right() - at.left() + 1, room.bottom() - at.top() + 1))
                                .expandedTo(sub->minimumSizeHint()));
        }
        break;
    }
    case 1:
        tile(area, true);
        break;
    case 2:
        tile(area, false);
        break;
    case 3:
        arrangeIcons(area);
        break;
    default:
        break;
    }
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
