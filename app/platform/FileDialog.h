#pragma once
// The one function through which the program asks for a file name, so that export and import can be
// driven end to end: tests queue the names the next dialogs answer.

#include <QString>

class QWidget;

enum class FileDialogMode { Open, Save };

// Shows the platform's file dialog; an empty text when the user cancels. filter as QFileDialog takes it.
QString GetFileName(QWidget* parent, FileDialogMode mode, const QString& caption, const QString& filter,
                    const QString& suggested = QString());

// Tests: the next dialog answers with this name at once instead of showing (an empty name cancels).
// Dialogs nobody queued a name for still show.
void SetNextFileName(const QString& fileName);
// Whether a queued name is still waiting, and the caption of the last dialog answered from the queue.
bool FileNamePending();
QString LastFileDialogCaption();
