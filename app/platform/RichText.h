#pragma once
// Reads the rich-text (RTF) files the program shows.

#include <QByteArray>
#include <QString>

class QTextEdit;

// Converts RTF (paragraphs, bold, italic, underline, sizes, colours, fonts) to HTML for Qt's text widgets.
QString RtfToHtml(const QByteArray& rtf);
// Loads an RTF file into box, formatted. Returns false (box unchanged) when the file cannot be read.
bool LoadRtfFile(QTextEdit* box, const QString& path);
