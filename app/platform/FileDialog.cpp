#include "platform/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace {
QStringList& queued() {
    static QStringList names;
    return names;
}
QString& lastCaption() {
    static QString caption;
    return caption;
}
} // namespace

QString GetFileName(QWidget* parent, FileDialogMode mode, const QString& caption, const QString& filter,
                    const QString& suggested) {
    if (!queued().isEmpty()) {
        lastCaption() = caption;
        return queued().takeFirst();
    }
    return mode == FileDialogMode::Save ? QFileDialog::getSaveFileName(parent, caption, suggested, filter)
                                        : QFileDialog::getOpenFileName(parent, caption, suggested, filter);
}

void SetNextFileName(const QString& fileName) {
    queued().append(fileName);
}

bool FileNamePending() {
    return !queued().isEmpty();
}

QString LastFileDialogCaption() {
    return lastCaption();
}
