#include "platform/LayoutMemory.h"

#include <QSettings>
#include <QSplitter>
#include <QTimer>

#include <memory>

namespace {
QString windowKey(const QString& window) {
    return QStringLiteral("Windows/") + window;
}
QString splitterKey(const QString& key) {
    return QStringLiteral("Splitters/") + key;
}
} // namespace

QSize StoredWindowSize(const QString& file, const QString& window) {
    // Whatever a hand-edited file says: no size is empty, and the caller bounds any other to the screen.
    return QSettings(file, QSettings::IniFormat).value(windowKey(window)).toSize();
}

void StoreWindowSize(const QString& file, const QString& window, const QSize& size) {
    QSettings(file, QSettings::IniFormat).setValue(windowKey(window), size);
}

void RememberSplitter(QSplitter* splitter, const QString& file, const QString& key) {
    const QByteArray state = QSettings(file, QSettings::IniFormat).value(splitterKey(key)).toByteArray();
    if (!state.isEmpty())
        splitter->restoreState(state); // refuses a state that is not a splitter's
    // Written once the handle rests, not at every step of a drag, and at the latest when the window goes.
    auto* pause = new QTimer(splitter);
    pause->setSingleShot(true);
    pause->setInterval(300);
    auto pending = std::make_shared<QByteArray>();
    const auto write = [file, key, pending] {
        if (!pending->isEmpty())
            QSettings(file, QSettings::IniFormat).setValue(splitterKey(key), *pending);
        pending->clear();
    };
    QObject::connect(splitter, &QSplitter::splitterMoved, pause, [splitter, pause, pending] {
        *pending = splitter->saveState();
        pause->start();
    });
    QObject::connect(pause, &QTimer::timeout, write);
    QObject::connect(pause, &QObject::destroyed, write);
}
