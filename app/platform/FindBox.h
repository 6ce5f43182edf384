#pragma once
// The search box above a list: empty or type to filter, Escape empties it, Ctrl+F anywhere in its window
// reaches it.

class QLineEdit;
class QString;
class QWidget;

// A new box named txtFind showing what it searches (placeholder), its Ctrl+F shortcut working anywhere
// inside window.
QLineEdit* NewFindBox(QWidget* parent, QWidget* window, const QString& placeholder);
