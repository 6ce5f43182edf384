#pragma once
// Reading the files the program ships in its application folder (pictures, texts, help) whole.

#include <QByteArray>
#include <QFile>
#include <QString>

// Reads path whole when it is a regular file (after following links) of at most maxBytes. Devices, pipes,
// sockets, folders and larger files count as missing: false, data empty. Never blocks in open and never
// reads more than maxBytes, whatever the file claims its size is.
bool ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray& data);
// Opens path for reading on the same terms, for a file read a piece at a time: false, and the file left
// closed, for anything but a regular file of at most maxBytes.
bool OpenRegularFile(const QString& path, qint64 maxBytes, QFile& file);
