#include "platform/Help.h"

#include "platform/SafeFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

namespace {
constexpr qint64 kMaxHelpBytes = 4 * 1024 * 1024;
// What a file can make us build; our help is a few dozen topics of short lines.
constexpr int kMaxTopics = 1000;
constexpr qsizetype kMaxLineChars = 16384;
constexpr qsizetype kMaxHelpChars = 128 * 1024;
const char* const kTopicScheme = "topic";

// Inline markup: **bold** and [[Topic title]] links, on text already escaped for HTML.
QString inlineHtml(const QString& line) {
    QString html = line.toHtmlEscaped();
    static const QRegularExpression bold(QStringLiteral("\\*\\*(.+?)\\*\\*"));
    html.replace(bold, QStringLiteral("<b>\\1</b>"));
    static const QRegularExpression link(QStringLiteral("\\[\\[(.+?)\\]\\]"));
    QString out;
    qsizetype last = 0;
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += html.mid(last, m.capturedStart() - last);
        // The title is still escaped here; the link carries it unescaped and percent-encoded.
        const QString title = m.captured(1);
        QString plain = title;
        plain.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QString href =
            QLatin1String(kTopicScheme) + QLatin1Char(':') + QString::fromLatin1(QUrl::toPercentEncoding(plain));
        out += QStringLiteral("<a href=\"") + href + QStringLiteral("\">") + title + QStringLiteral("</a>");
        last = m.capturedEnd();
    }
    out += html.mid(last);
    return out;
}

QString plainOf(const QString& line) {
    QString text = line;
    text.remove(QStringLiteral("**"));
    text.remove(QStringLiteral("[["));
    text.remove(QStringLiteral("]]"));
    return text;
}

// Turns one topic's lines into HTML, paragraph by paragraph.
class TopicWriter {
public:
    explicit TopicWriter(HelpTopic& topic) : topic_(topic) {
        topic_.html = QStringLiteral("<h2>") + topic_.title.toHtmlEscaped() + QStringLiteral("</h2>\n");
        topic_.plainText = topic_.title + QLatin1Char('\n');
    }

    void line(const QString& raw) {
        const QString text = raw.trimmed();
        static const QRegularExpression numbered(QStringLiteral("^(\\d+)\\.\\s+(.*)$"));
        if (text.isEmpty()) {
            endParagraph();
            return;
        }
        topic_.plainText += plainOf(text) + QLatin1Char('\n');
        if (text.startsWith(QStringLiteral("== "))) {
            endBlock();
            topic_.html += QStringLiteral("<h3>") + inlineHtml(text.mid(3).trimmed()) + QStringLiteral("</h3>\n");
            return;
        }
        if (text.startsWith(QStringLiteral("- "))) {
            startList(QStringLiteral("ul"));
            topic_.html += QStringLiteral("<li>") + inlineHtml(text.mid(2).trimmed()) + QStringLiteral("</li>\n");
            return;
        }
        const QRegularExpressionMatch m = numbered.match(text);
        if (m.hasMatch()) {
            startList(QStringLiteral("ol"));
            topic_.html += QStringLiteral("<li>") + inlineHtml(m.captured(2)) + QStringLiteral("</li>\n");
            return;
        }
        if (!list_.isEmpty())
            endList();
        if (!paragraph_.isEmpty())
            paragraph_ += QLatin1Char(' ');
        paragraph_ += inlineHtml(text);
    }

    void finish() { endBlock(); }

private:
    void startList(const QString& kind) {
        endParagraph();
        if (list_ != kind) {
            endList();
            list_ = kind;
            topic_.html += QLatin1Char('<') + kind + QStringLiteral(">\n");
        }
    }
    void endList() {
        if (!list_.isEmpty())
            topic_.html += QStringLiteral("</") + list_ + QStringLiteral(">\n");
        list_.clear();
    }
    void endParagraph() {
        if (!paragraph_.isEmpty())
            topic_.html += QStringLiteral("<p>") + paragraph_ + QStringLiteral("</p>\n");
        paragraph_.clear();
    }
    void endBlock() {
        endParagraph();
        endList();
    }

    HelpTopic& topic_;
    QString paragraph_;
    QString list_;
};

class HelpWindow : public QWidget {
public:
    HelpWindow(QWidget* parent, const QString& path, HelpFile help) : QWidget(parent, Qt::Window), path_(path) {
        setObjectName(QStringLiteral("frmHelp"));
        setAttribute(Qt::WA_DeleteOnClose);
        if (parent)
            setWindowIcon(parent->windowIcon());

        find_ = new QLineEdit(this);
        find_->setObjectName(QStringLiteral("txtFind"));
        find_->setPlaceholderText(QStringLiteral("Type words to find"));
        find_->setClearButtonEnabled(true);
        auto* findLabel = new QLabel(QStringLiteral("&Find:"), this);
        findLabel->setBuddy(find_);
        list_ = new QListWidget(this);
        list_->setObjectName(QStringLiteral("lstTopics"));
        page_ = new QTextBrowser(this);
        page_->setObjectName(QStringLiteral("txtTopic"));
        page_->setOpenLinks(false);

        auto* left = new QWidget(this);
        auto* leftLayout = new QVBoxLayout(left);
        leftLayout->setContentsMargins(0, 0, 0, 0);
        auto* findRow = new QHBoxLayout;
        findRow->addWidget(findLabel);
        findRow->addWidget(find_);
        leftLayout->addLayout(findRow);
        leftLayout->addWidget(list_);
        auto* splitter = new QSplitter(this);
        splitter->addWidget(left);
        splitter->addWidget(page_);
        splitter->setStretchFactor(1, 1);
        splitter->setSizes({230, 530});
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(splitter);
        resize(780, 540);

        connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { showTopic(row); });
        connect(find_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
        connect(find_, &QLineEdit::returnPressed, this, [this] { findNext(); });
        connect(page_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { followLink(url); });
        load(path, std::move(help));
    }

    const QString& path() const { return path_; }

    void load(const QString& path, HelpFile help) {
        path_ = path;
        help_ = std::move(help);
        setWindowTitle(help_.title.isEmpty() ? QStringLiteral("Help") : help_.title);
        list_->blockSignals(true);
        list_->clear();
        for (const HelpTopic& topic : help_.topics)
            list_->addItem(topic.title);
        list_->blockSignals(false);
        applyFilter();
    }

protected:
    // Escape that no child used closes the window, as it closes a dialog.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    QStringList findWords() const { return find_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts); }

    bool matches(const HelpTopic& topic, const QStringList& words) const {
        for (const QString& word : words)
            if (!topic.plainText.contains(word, Qt::CaseInsensitive))
                return false;
        return true;
    }

    void applyFilter() {
        const QStringList words = findWords();
        int firstVisible = -1;
        for (int i = 0; i < list_->count(); ++i) {
            const bool visible = matches(help_.topics[size_t(i)], words);
            list_->item(i)->setHidden(!visible);
            if (visible && firstVisible < 0)
                firstVisible = i;
        }
        const int current = list_->currentRow();
        if (firstVisible < 0) {
            page_->setHtml(QStringLiteral("<p>No topic contains all of the words you typed.</p>"));
            list_->setCurrentRow(-1);
        } else if (current < 0 || list_->item(current)->isHidden()) {
            list_->setCurrentRow(firstVisible);
        } else {
            showTopic(current);
        }
    }

    void showTopic(int row) {
        if (row < 0 || row >= int(help_.topics.size()))
            return;
        page_->setHtml(help_.topics[size_t(row)].html);
        const QStringList words = findWords();
        if (!words.isEmpty())
            page_->find(words.first());
    }

    void findNext() {
        const QStringList words = findWords();
        if (words.isEmpty())
            return;
        if (!page_->find(words.first())) {
            page_->moveCursor(QTextCursor::Start);
            page_->find(words.first());
        }
    }

    void followLink(const QUrl& url) {
        if (url.scheme() != QLatin1String(kTopicScheme))
            return;
        const QString title = QUrl::fromPercentEncoding(url.path().toUtf8());
        for (size_t i = 0; i < help_.topics.size(); ++i) {
            if (help_.topics[i].title.compare(title, Qt::CaseInsensitive) == 0) {
                if (list_->item(int(i))->isHidden())
                    find_->clear(); // the target must be reachable in the list
                list_->setCurrentRow(int(i));
                return;
            }
        }
    }

    QString path_;
    HelpFile help_;
    QLineEdit* find_;
    QListWidget* list_;
    QTextBrowser* page_;
};

QPointer<HelpWindow> openWindow;
} // namespace

bool ReadHelpFile(const QString& path, HelpFile& help) {
    QByteArray bytes;
    if (!ReadRegularFile(path, kMaxHelpBytes, bytes))
        return false;
    const QString text = QString::fromUtf8(bytes);
    bytes.clear();
    HelpFile result;
    std::unique_ptr<TopicWriter> writer;
    qsizetype built = 0; // characters of the topics finished so far
    const qsizetype n = text.size();
    for (qsizetype start = 0; start <= n;) {
        qsizetype end = start;
        while (end < n && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        const QString line = QStringView(text).mid(start, std::min(end - start, kMaxLineChars)).toString();
        start = end + (end + 1 < n && text[end] == QLatin1Char('\r') && text[end + 1] == QLatin1Char('\n') ? 2 : 1);
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QStringLiteral("@title "))) {
            result.title = line.mid(7).trimmed();
            continue;
        }
        if (line.startsWith(QStringLiteral("= "))) {
            if (writer) {
                writer->finish();
                built += result.topics.back().html.size() + result.topics.back().plainText.size();
            }
            if (int(result.topics.size()) >= kMaxTopics || built > kMaxHelpChars) {
                writer.reset();
                break; // the rest of an oversized file is not shown
            }
            result.topics.push_back(HelpTopic{line.mid(2).trimmed(), QString(), QString()});
            writer = std::make_unique<TopicWriter>(result.topics.back());
            continue;
        }
        if (writer) {
            writer->line(line);
            const HelpTopic& topic = result.topics.back();
            if (built + topic.html.size() + topic.plainText.size() > kMaxHelpChars)
                break;
        }
    }
    if (writer)
        writer->finish();
    if (result.topics.empty())
        return false;
    help = std::move(result);
    return true;
}

bool ShowHelpContents(const QString& helpFile, QWidget* parent) {
    HelpFile help;
    if (!ReadHelpFile(helpFile, help))
        return false;
    // A window opened before a modal window came up is blocked by it: open a fresh one above the modal window.
    QWidget* modal = QApplication::activeModalWidget();
    if (openWindow && modal && !modal->isAncestorOf(openWindow)) {
        openWindow->close();
        openWindow = nullptr;
    }
    if (openWindow) {
        if (QFileInfo(openWindow->path()) != QFileInfo(helpFile))
            openWindow->load(helpFile, std::move(help));
    } else {
        openWindow = new HelpWindow(parent ? parent->window() : modal, helpFile, std::move(help));
    }
    openWindow->show();
    if (openWindow->isMinimized())
        openWindow->showNormal();
    openWindow->raise();
    openWindow->activateWindow();
    return true;
}

QWidget* HelpContentsWindow() {
    return openWindow.data();
}
