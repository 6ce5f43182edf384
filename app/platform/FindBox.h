#pragma once
// The search box above a trip list: empty or type to filter, Escape empties it, Ctrl+F anywhere in
// its window reaches it.

class QLineEdit;
class QWidget;

// A new box named txtFind, its Ctrl+F shortcut working anywhere inside window.
QLineEdit* NewFindBox(QWidget* parent, QWidget* window);
