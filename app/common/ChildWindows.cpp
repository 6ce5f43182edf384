#include "common/ChildWindows.h"

#include "platform/AppInfo.h"
#include "platform/LayoutMemory.h"

#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {
QPointer<QMdiArea>& childArea() {
    static QPointer<QMdiArea> area;
    return area;
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

void SetChildArea(QMdiArea* area) {
    childArea() = area;
}

void ShowChild(QWidget* frm) {
    if (!frm)
        return;
    QMdiArea* area = childArea();
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
    QMdiArea* area = childArea();
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
