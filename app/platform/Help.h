#pragma once
// The help topics window that shows the program's help file.

#include <QString>

#include <vector>

class QWidget;

// Opens (or brings forward) the topics window for helpFile. Returns false when the file cannot be read.
bool ShowHelpContents(const QString& helpFile, QWidget* parent = nullptr);

// The open topics window, or nullptr; there is at most one.
QWidget* HelpContentsWindow();

// The help file: "= Title" starts a topic, "== Heading" a heading, "- " a bullet, "1. " a numbered step,
// blank lines end paragraphs, "**bold**" and "[[Topic title]]" links; "#" lines are comments and
// "@title Text" names the window.
struct HelpTopic {
    QString title;
    QString html;      // the topic as shown
    QString plainText; // what the find box searches
};
struct HelpFile {
    QString title;
    std::vector<HelpTopic> topics;
};
// Reads a help file; false when it cannot be read or holds no topic.
bool ReadHelpFile(const QString& path, HelpFile& help);
