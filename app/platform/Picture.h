#pragma once
// Pictures the windows show: JPEG, icons and Windows metafiles (.wmf) from the application folder.

#include <QPixmap>
#include <QString>

// Loads a picture file; a metafile is rendered at its own size, or scaled to fit size when given.
// Returns a null pixmap when the file is missing or cannot be read.
QPixmap LoadPicture(const QString& path, const QSize& size = QSize());
