#pragma once
// The help topics window that shows the program's help file.

#include <QString>

class QWidget;

// Opens (or brings forward) the topics window for helpFile. Returns false when the file cannot be read.
bool ShowHelpContents(const QString& helpFile, QWidget* parent = nullptr);
