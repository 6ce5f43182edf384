#pragma once
// Pictures the windows show: JPEG, icons and Windows metafiles (.wmf) from the application folder.

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// Loads a picture file; a metafile is rendered at its own size, or scaled to fit size when given.
// The pixmap holds devicePixelRatio real pixels per logical one (pass the showing widget's ratio).
// Returns a null pixmap when the file is missing, not a regular file, too large or cannot be read.
QPixmap LoadPicture(const QString& path, const QSize& size = QSize(), qreal devicePixelRatio = 1);

// Loads a window icon with every size the icon file holds. Returns a null icon when it cannot be read.
QIcon LoadIcon(const QString& path);

// Renders Windows metafile data (with or without the placeable header) on a transparent image, at the
// picture's own size or fitted into size. Returns a null image for data that is not a readable metafile.
QImage RenderMetafile(const QByteArray& data, const QSize& size = QSize());
