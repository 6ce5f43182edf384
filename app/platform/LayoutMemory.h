#pragma once
// Sizes the user gave windows and splitters, kept in a small INI file in the application folder, so a fresh
// folder starts without any and reinstalling keeps them. A file that cannot be read or written is ignored:
// the windows then open at their own sizes.

#include <QSize>
#include <QString>

class QSplitter;

// The size the user last gave a window, or an empty size when there is none or the file holds no size;
// any other may be larger than the screen.
QSize StoredWindowSize(const QString& file, const QString& window);
void StoreWindowSize(const QString& file, const QString& window, const QSize& size);
// Gives a splitter the division the user last chose, and keeps it whenever the user moves the handle.
void RememberSplitter(QSplitter* splitter, const QString& file, const QString& key);
