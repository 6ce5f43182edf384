#include "platform/RichText.h"

#include "platform/Look.h"
#include "platform/SafeFile.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <vector>

namespace {
// Our text is a page or two; the limits keep a damaged or hostile file from costing much.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
constexpr int kMaxDepth = 200;
constexpr int kMaxColors = 256;
constexpr int kMaxFonts = 256;
// What a file can make us build: far beyond our page or two, far below what would take long to show.
constexpr int kMaxParagraphs = 2000;
constexpr int kMaxRuns = 2000;
constexpr int kMaxCharacters = 30000;

// Windows-1252 characters 0x80-0x9F; the rest of the code page is the same as Latin-1.
const char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar fromCp1252(uchar c) {
    return c >= 0x80 && c < 0xA0 ? QChar(kCp1252High[c - 0x80]) : QChar(char16_t(c));
}

enum class Destination { Text, Skip, FontTable, ColorTable };

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24; // the format's default size, 12 pt
    int color = 0;       // index into the colour table; 0 is the automatic colour
    int font = -1;
    bool operator==(const CharFormat& other) const {
        return bold == other.bold && italic == other.italic && underline == other.underline &&
               halfPoints == other.halfPoints && color == other.color && font == other.font;
    }
};

struct GroupState {
    CharFormat format;
    Destination destination = Destination::Text;
    int unicodeSkip = 1; // characters after \uN that stand in for it in older readers
    // Paragraph properties are kept per group as the format does, though \pard is what usually resets them.
    QString align;
    int spaceBefore = 0, spaceAfter = 0; // twips
};

struct Font {
    int number;
    QString name;
};

class RtfReader {
public:
    explicit RtfReader(const QByteArray& rtf) : data_(rtf) {}

    QString html() {
        parse();
        endParagraph(false);
        return QStringLiteral("<html><body>") + body_ + QStringLiteral("</body></html>");
    }

private:
    void parse() {
        const qsizetype n = data_.size();
        qsizetype i = 0;
        int skipChars = 0;        // fallback characters still to drop after \uN
        while (i < n && !full_) { // past a limit, what was read so far is shown
            const char c = data_[i];
            if (c != '\\' && c != '\r' && c != '\n')
                ignorableGroup_ = false; // the optional-destination mark covers only the control word after it
            if (c == '{') {
                ++i;
                if (depth_ < kMaxDepth)
                    stack_.push_back(state_);
                ++depth_;
                skipChars = 0;
            } else if (c == '}') {
                ++i;
                if (depth_ == 0)
                    continue; // a stray closing brace
                if (state_.destination == Destination::FontTable)
                    finishFontName();
                if (depth_ <= kMaxDepth && !stack_.empty()) {
                    state_ = stack_.back();
                    stack_.pop_back();
                }
                --depth_;
                skipChars = 0;
            } else if (c == '\\') {
                i = controlWord(i + 1, skipChars);
            } else if (c == '\r' || c == '\n' || c == '\0') {
                ++i;
            } else {
                ++i;
                if (skipChars > 0) {
                    --skipChars;
                    continue;
                }
                addChar(fromCp1252(uchar(c)));
            }
        }
    }

    // Reads the control word or symbol after a backslash at i; returns the position after it.
    qsizetype controlWord(qsizetype i, int& skipChars) {
        const qsizetype n = data_.size();
        if (i >= n)
            return i;
        const char c = data_[i];
        if (!isAsciiLetter(c)) {
            // Control symbols
            ++i;
            if (c == '\'') {
                int value = 0, digits = 0;
                while (digits < 2 && i < n && isHexDigit(data_[i])) {
                    value = value * 16 + hexValue(data_[i]);
                    ++i;
                    ++digits;
                }
                if (digits == 0)
                    return i;
                if (skipChars > 0) {
                    --skipChars;
                    return i;
                }
                addChar(fromCp1252(uchar(value)));
            } else if (c == '\\' || c == '{' || c == '}') {
                if (skipChars > 0)
                    --skipChars;
                else
                    addChar(QLatin1Char(c));
            } else if (c == '~') {
                addChar(QChar(0x00A0));
            } else if (c == '_') {
                addChar(QChar(0x2011));
            } else if (c == '*') {
                // An optional destination: the group is skipped unless its word is one we know.
                ignorableGroup_ = true;
                return i;
            } else if (c == '\r' || c == '\n') {
                newParagraph();
            }
            ignorableGroup_ = false;
            return i;
        }
        const qsizetype start = i;
        while (i < n && isAsciiLetter(data_[i]) && i - start < 32)
            ++i;
        const QByteArrayView word(data_.constData() + start, i - start);
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (i < n && data_[i] == '-' && i + 1 < n && isDigit(data_[i + 1])) {
            negative = true;
            ++i;
        }
        int digits = 0;
        while (i < n && isDigit(data_[i])) {
            if (digits < 10)
                param = param * 10 + (data_[i] - '0');
            ++digits;
            ++i;
            hasParam = true;
        }
        if (negative)
            param = -param;
        param = std::clamp<long long>(param, -2147483647LL, 2147483647LL);
        if (i < n && data_[i] == ' ')
            ++i; // the delimiting blank belongs to the control word
        if (word == "bin" && hasParam) {
            // Binary data (inside pictures): its bytes may look like braces, so they are passed over unread.
            ignorableGroup_ = false;
            return i + std::min<qsizetype>(std::max<long long>(param, 0), n - i);
        }
        apply(word, hasParam, int(param), skipChars);
        return i;
    }

    void apply(QByteArrayView word, bool hasParam, int param, int& skipChars) {
        const bool ignorable = ignorableGroup_;
        ignorableGroup_ = false;
        CharFormat& f = state_.format;
        const bool on = !hasParam || param != 0;

        // Destinations
        if (word == "fonttbl") {
            state_.destination = Destination::FontTable;
            return;
        }
        if (word == "colortbl") {
            state_.destination = Destination::ColorTable;
            colors_.clear();
            pendingColor_ = QColor();
            return;
        }
        if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" || word == "footer" ||
            word == "headerl" || word == "headerr" || word == "footerl" || word == "footerr" || word == "object" ||
            word == "fldinst" || word == "listtable" || word == "listoverridetable" || word == "rsidtbl" ||
            word == "generator" || word == "themedata" || word == "colorschememapping" || word == "latentstyles" ||
            word == "datastore" || word == "xmlnstbl" || word == "bkmkstart" || word == "bkmkend" ||
            word == "filetbl" || word == "revtbl" || ignorable) {
            state_.destination = Destination::Skip;
            return;
        }
        if (state_.destination == Destination::Skip)
            return;

        if (state_.destination == Destination::ColorTable) {
            if (!pendingColor_.isValid())
                pendingColor_ = QColor(0, 0, 0);
            const int v = std::clamp(param, 0, 255);
            if (word == "red")
                pendingColor_.setRed(v);
            else if (word == "green")
                pendingColor_.setGreen(v);
            else if (word == "blue")
                pendingColor_.setBlue(v);
            return;
        }
        if (state_.destination == Destination::FontTable) {
            if (word == "f" && hasParam) {
                finishFontName();
                fontNumber_ = param;
                fontName_.clear();
            }
            return;
        }

        // Character formatting
        if (word == "b")
            f.bold = on;
        else if (word == "i")
            f.italic = on;
        else if (word == "ul")
            f.underline = on;
        else if (word == "ulnone")
            f.underline = false;
        else if (word == "fs" && hasParam)
            f.halfPoints = std::clamp(param, 2, 2000);
        else if (word == "cf" && hasParam)
            f.color = param;
        else if (word == "f" && hasParam)
            f.font = param;
        else if (word == "plain")
            f = CharFormat();
        else if (word == "uc" && hasParam)
            state_.unicodeSkip = std::clamp(param, 0, 10);
        else if (word == "u" && hasParam) {
            // Signed 16-bit in the file: values above 32767 are written as negatives.
            const int code = param < 0 ? param + 65536 : param;
            addChar(code >= 0 && code <= 0xFFFF ? QChar(char16_t(code)) : QChar(QChar::ReplacementCharacter));
            skipChars = state_.unicodeSkip;
        }
        // Special characters
        else if (word == "par")
            newParagraph();
        else if (word == "line")
            addBreak();
        else if (word == "tab")
            addChar(QLatin1Char('\t'));
        else if (word == "emdash")
            addChar(QChar(0x2014));
        else if (word == "endash")
            addChar(QChar(0x2013));
        else if (word == "bullet")
            addChar(QChar(0x2022));
        else if (word == "lquote")
            addChar(QChar(0x2018));
        else if (word == "rquote")
            addChar(QChar(0x2019));
        else if (word == "ldblquote")
            addChar(QChar(0x201C));
        else if (word == "rdblquote")
            addChar(QChar(0x201D));
        // Paragraph formatting
        else if (word == "pard") {
            state_.align.clear();
            state_.spaceBefore = state_.spaceAfter = 0;
        } else if (word == "qc")
            state_.align = QStringLiteral("center");
        else if (word == "qr")
            state_.align = QStringLiteral("right");
        else if (word == "qj")
            state_.align = QStringLiteral("justify");
        else if (word == "ql")
            state_.align.clear();
        else if (word == "sb" && hasParam)
            state_.spaceBefore = std::clamp(param, 0, 14400);
        else if (word == "sa" && hasParam)
            state_.spaceAfter = std::clamp(param, 0, 14400);
        // Everything else (page layout, languages, revision marks...) does not change what we show.
    }

    void finishFontName() {
        if (fontNumber_ < 0)
            return;
        QString name = fontName_.trimmed();
        if (name.endsWith(QLatin1Char(';')))
            name.chop(1);
        if (!name.isEmpty() && fonts_.size() < size_t(kMaxFonts))
            fonts_.push_back({fontNumber_, name.trimmed()});
        fontNumber_ = -1;
        fontName_.clear();
    }

    void addChar(QChar ch) {
        switch (state_.destination) {
        case Destination::Skip:
            return;
        case Destination::ColorTable:
            if (ch == QLatin1Char(';')) {
                if (colors_.size() < size_t(kMaxColors))
                    colors_.push_back(pendingColor_); // invalid for the automatic entry
                pendingColor_ = QColor();
            }
            return;
        case Destination::FontTable:
            if (fontNumber_ >= 0 && fontName_.size() < 200) {
                fontName_ += ch;
                if (ch == QLatin1Char(';'))
                    finishFontName();
            }
            return;
        case Destination::Text:
            break;
        }
        if (!paragraphOpen_)
            openParagraph();
        if (!(runOpen_ && runFormat_ == state_.format)) {
            closeRun();
            openRun();
        }
        switch (ch.unicode()) {
        case '<':
            paragraph_ += QStringLiteral("&lt;");
            break;
        case '>':
            paragraph_ += QStringLiteral("&gt;");
            break;
        case '&':
            paragraph_ += QStringLiteral("&amp;");
            break;
        case '"':
            paragraph_ += QStringLiteral("&quot;");
            break;
        default:
            paragraph_ += ch;
        }
        paragraphHasText_ = true;
        count(characters_, kMaxCharacters);
    }

    void count(int& counter, int limit) {
        if (++counter >= limit)
            full_ = true;
    }

    void addBreak() {
        if (state_.destination != Destination::Text)
            return;
        if (!paragraphOpen_)
            openParagraph();
        closeRun();
        paragraph_ += QStringLiteral("<br />");
        count(characters_, kMaxCharacters);
    }

    void openParagraph() {
        paragraphOpen_ = true;
        paragraphHasText_ = false;
        paragraph_.clear();
    }

    void newParagraph() {
        if (state_.destination != Destination::Text)
            return;
        if (!paragraphOpen_)
            openParagraph();
        endParagraph(true);
    }

    // Ends the paragraph; an empty one is kept (as a blank line) only when the file asked for it.
    void endParagraph(bool keepEmpty) {
        if (!paragraphOpen_)
            return;
        closeRun();
        if (paragraphHasText_ || keepEmpty) {
            QString style = QStringLiteral("margin-top:%1px; margin-bottom:%2px; margin-left:0px; margin-right:0px; "
                                           "white-space:pre-wrap;")
                                .arg(state_.spaceBefore / 15)
                                .arg(state_.spaceAfter / 15);
            QString open = QStringLiteral("<p style=\"") + style + QStringLiteral("\"");
            // Paragraph properties in force at the paragraph's end are the ones that apply to it.
            if (!state_.align.isEmpty())
                open += QStringLiteral(" align=\"") + state_.align + QStringLiteral("\"");
            open += QStringLiteral(">");
            QString content = paragraph_;
            if (!paragraphHasText_)
                content +=
                    QStringLiteral("<span style=\"font-size:%1pt;\">&nbsp;</span>").arg(state_.format.halfPoints / 2.0);
            body_ += open + content + QStringLiteral("</p>\n");
            count(paragraphs_, kMaxParagraphs);
        }
        paragraphOpen_ = false;
        paragraph_.clear();
    }

    void openRun() {
        const CharFormat& f = state_.format;
        QString style = QStringLiteral("font-size:%1pt;").arg(f.halfPoints / 2.0);
        style += f.bold ? QStringLiteral(" font-weight:700;") : QStringLiteral(" font-weight:400;");
        if (f.italic)
            style += QStringLiteral(" font-style:italic;");
        if (f.underline)
            style += QStringLiteral(" text-decoration:underline;");
        if (f.color > 0 && f.color < int(colors_.size()) && colors_[size_t(f.color)].isValid())
            style += QStringLiteral(" color:") + colors_[size_t(f.color)].name() + QLatin1Char(';');
        for (const Font& font : fonts_) {
            if (font.number == f.font) {
                QString name = font.name;
                name.remove(QLatin1Char('\''))
                    .remove(QLatin1Char('"'))
                    .remove(QLatin1Char('<'))
                    .remove(QLatin1Char('>'));
                style += QStringLiteral(" font-family:'") + name + QStringLiteral("';");
                break;
            }
        }
        paragraph_ += QStringLiteral("<span style=\"") + style + QStringLiteral("\">");
        runOpen_ = true;
        runFormat_ = f;
        count(runs_, kMaxRuns);
    }

    void closeRun() {
        if (runOpen_)
            paragraph_ += QStringLiteral("</span>");
        runOpen_ = false;
    }

    static bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
    static int hexValue(char c) { return isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

    const QByteArray& data_;
    GroupState state_;
    std::vector<GroupState> stack_;
    int depth_ = 0;
    bool ignorableGroup_ = false;

    std::vector<QColor> colors_;
    QColor pendingColor_;
    std::vector<Font> fonts_;
    int fontNumber_ = -1;
    QString fontName_;

    QString body_;
    QString paragraph_;
    bool paragraphOpen_ = false;
    bool paragraphHasText_ = false;
    bool runOpen_ = false;
    CharFormat runFormat_;

    int paragraphs_ = 0, runs_ = 0, characters_ = 0;
    bool full_ = false;
};
} // namespace

QString RtfToHtml(const QByteArray& rtf) {
    return RtfReader(rtf).html();
}

bool LoadRtfFile(QTextEdit* box, const QString& path) {
    if (!box)
        return false;
    QByteArray rtf;
    if (!ReadRegularFile(path, kMaxFileBytes, rtf))
        return false;
    // Like the rich-text box it stands in for, only a file in the format is accepted.
    if (!rtf.trimmed().startsWith("{\\rtf"))
        return false;
    box->setHtml(RtfToHtml(rtf));
    // The file's colours were chosen for white paper: on a dark desktop each is moved until it reads.
    const QColor paper = box->palette().color(QPalette::Base);
    struct Change {
        int from, length;
        QColor colour;
    };
    std::vector<Change> changes; // gathered first: changing a format merges and splits the fragments
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QColor colour = format.foreground().color();
            if (format.hasProperty(QTextFormat::ForegroundBrush) && ReadableOn(paper, colour) != colour)
                changes.push_back({fragment.position(), fragment.length(), ReadableOn(paper, colour)});
        }
    }
    QTextCursor cursor(box->document());
    for (const Change& c : changes) {
        QTextCharFormat format;
        format.setForeground(c.colour);
        cursor.setPosition(c.from);
        cursor.setPosition(c.from + c.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    return true;
}
