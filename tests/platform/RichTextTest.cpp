// The RTF reader: formatting and characters come through, hostile input does no harm.
#include "platform/RichText.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {
const QString kAbout = QStringLiteral(ODOMARK_RESOURCES "/text/About.rtf");

// The character format at the first character of word in the document made from rtf.
QTextCharFormat formatOf(const QByteArray& rtf, const QString& word) {
    QTextDocument doc;
    doc.setHtml(RtfToHtml(rtf));
    QTextCursor found = doc.find(word);
    if (found.isNull())
        return QTextCharFormat();
    QTextCursor at(&doc);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QString plainOf(const QByteArray& rtf) {
    QTextDocument doc;
    doc.setHtml(RtfToHtml(rtf));
    return doc.toRawText(); // keeps no-break blanks and line separators; paragraphs end in U+2029
}

const QByteArray kHeader = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Verdana;}{\\f1 Courier New;}}"
                           "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";

struct FormatCase {
    const char* body;
    const char* word;
    bool bold, italic, underline;
    double points;
    QColor colour; // invalid: the default colour
    const char* family;
};

class RtfFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RtfFormat, ReachesTheText) {
    const FormatCase& c = GetParam();
    const QTextCharFormat f = formatOf(kHeader + c.body + "}", QString::fromLatin1(c.word));
    ASSERT_TRUE(f.isValid()) << c.body;
    EXPECT_EQ(f.fontWeight() >= QFont::Bold, c.bold) << c.body;
    EXPECT_EQ(f.fontItalic(), c.italic) << c.body;
    EXPECT_EQ(f.fontUnderline(), c.underline) << c.body;
    EXPECT_DOUBLE_EQ(f.fontPointSize(), c.points) << c.body;
    if (c.colour.isValid())
        EXPECT_EQ(f.foreground().color(), c.colour) << c.body;
    else
        EXPECT_NE(f.foreground().color(), QColor(Qt::red)) << c.body;
    if (c.family) {
        EXPECT_TRUE(f.fontFamilies().toStringList().contains(QString::fromLatin1(c.family))) << c.body;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Words, RtfFormat,
    ::testing::Values(
        FormatCase{"plain \\b bold\\b0  after", "bold", true, false, false, 12, QColor(), nullptr},
        FormatCase{"plain \\b bold\\b0  after", "after", false, false, false, 12, QColor(), nullptr},
        FormatCase{"{\\i slanted} upright", "slanted", false, true, false, 12, QColor(), nullptr},
        FormatCase{"{\\i slanted} upright", "upright", false, false, false, 12, QColor(), nullptr},
        FormatCase{"\\ul under\\ulnone  over", "under", false, false, true, 12, QColor(), nullptr},
        FormatCase{"\\ul under\\ulnone  over", "over", false, false, false, 12, QColor(), nullptr},
        FormatCase{"\\fs36 big \\fs16 small", "big", false, false, false, 18, QColor(), nullptr},
        FormatCase{"\\fs36 big \\fs16 small", "small", false, false, false, 8, QColor(), nullptr},
        FormatCase{"\\cf1 red \\cf2 blue \\cf0 auto", "red", false, false, false, 12, QColor(Qt::red), nullptr},
        FormatCase{"\\cf1 red \\cf2 blue \\cf0 auto", "blue", false, false, false, 12, QColor(Qt::blue), nullptr},
        FormatCase{"\\cf1 red \\cf2 blue \\cf0 auto", "auto", false, false, false, 12, QColor(), nullptr},
        FormatCase{"\\cf9 beyond the table", "beyond", false, false, false, 12, QColor(), nullptr},
        FormatCase{"\\f1 typed", "typed", false, false, false, 12, QColor(), "Courier New"},
        FormatCase{"\\b\\i\\fs20 both\\plain  reset", "reset", false, false, false, 12, QColor(), nullptr},
        FormatCase{"{\\b outer {\\i inner} back}", "back", true, false, false, 12, QColor(), nullptr},
        FormatCase{"{\\b outer {\\i inner} back}", "inner", true, true, false, 12, QColor(), nullptr}));

struct TextCase {
    const char* body;
    const char16_t* expected;
};

class RtfText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfText, ComesOutAsWritten) {
    const TextCase& c = GetParam();
    EXPECT_EQ(plainOf(kHeader + c.body + "}"), QString::fromUtf16(c.expected)) << c.body;
}

INSTANTIATE_TEST_SUITE_P(
    Characters, RtfText,
    ::testing::Values(
        TextCase{"caf\\'e9 \\'80 \\'a9", u"caf\u00e9 \u20ac \u00a9"},
        TextCase{"\\u8364?uro \\u-3913?", u"\u20acuro \uf0b7"}, TextCase{"\\uc2\\u8364xx after", u"\u20ac after"},
        TextCase{"\\uc0\\u8364 kept", u"\u20ackept"}, TextCase{"a\\\\b \\{c\\}", u"a\\b {c}"},
        TextCase{"one\\par two", u"one\u2029two"}, TextCase{"one\\line two", u"one\u2028two"},
        TextCase{"a\\tab b", u"a\tb"}, TextCase{"a\\~b", u"a\u00a0b"}, TextCase{"<b>&amp;\"", u"<b>&amp;\""},
        TextCase{"{\\*\\unknown hidden}shown", u"shown"}, TextCase{"{\\info{\\title secret}}shown", u"shown"},
        TextCase{"{\\*\r\n\\unknown hidden}shown", u"shown"}, TextCase{"{\\* a\\par b}", u" a\u2029b"},
        TextCase{"{\\pict\\bin4 }}{{}shown", u"shown"}, TextCase{"line\r\nbreaks\r\n ignored", u"linebreaks ignored"},
        TextCase{"\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet",
                 u"\u2014\u2013\u2018\u2019\u201c\u201d\u2022"}));

TEST(RtfToHtml, FontAndColourTablesAreNotText) {
    const QString text = plainOf(kHeader + "body}");
    EXPECT_EQ(text, "body");
}

TEST(RtfToHtml, EmptyParagraphsKeepTheirLine) {
    QTextDocument doc;
    doc.setHtml(RtfToHtml("{\\rtf1 first\\par\\par third\\par}"));
    EXPECT_EQ(doc.blockCount(), 3);
    EXPECT_EQ(doc.findBlockByNumber(2).text(), "third");
}

TEST(RtfToHtml, CentredParagraph) {
    QTextDocument doc;
    doc.setHtml(RtfToHtml("{\\rtf1\\pard\\qc middle\\par\\pard left\\par}"));
    EXPECT_EQ(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

struct Hostile {
    const char* name;
    QByteArray rtf;
};

class HostileRtf : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileRtf, DoesNoHarm) {
    const QString html = RtfToHtml(GetParam().rtf);
    EXPECT_TRUE(html.startsWith("<html>"));
    QTextDocument doc;
    doc.setHtml(html); // what the about box does with it
}

std::vector<Hostile> hostileCases() {
    std::vector<Hostile> cases = {
        {"empty", QByteArray()},
        {"lone backslash", "\\"},
        {"escape cut short", "{\\rtf1 a\\'"},
        {"escape with no hex", "{\\rtf1 a\\'zz}"},
        {"stray closing braces", "}}}{\\rtf1 text}}}}"},
        {"unclosed groups", "{\\rtf1{{{{\\b text"},
        {"huge numbers", "{\\rtf1\\fs99999999999999999999 \\cf-2147483648 \\u99999999999 \\uc999999 a\\sb-5 b}"},
        {"negative sizes", "{\\rtf1\\fs-40 small}"},
        {"binary run past the end", "{\\rtf1{\\pict\\bin99999999 ab"},
        {"negative binary run", "{\\rtf1{\\pict\\bin-5 ab}}"},
        {"long control word", "{\\rtf1\\" + QByteArray(10000, 'a') + " x}"},
        {"markup in text", "{\\rtf1 <script>alert(1)</script>&nbsp;}"},
        {"markup in a font name", "{\\rtf1{\\fonttbl{\\f0 A\"><script>;}}\\f0 x}"},
        {"colour table overflow", "{\\rtf1{\\colortbl" + QByteArray(100000, ';') + "}\\cf99999 x}"},
        {"unicode surrogates", "{\\rtf1\\u-10179?\\u-9089? \\u-10179? lone}"},
        {"nul bytes", QByteArray("{\\rtf1 a\0b\0\\b\0c}", 17)},
    };
    cases.push_back({"deep nesting", QByteArray(200000, '{') + "deep" + QByteArray(200000, '}')});
    QByteArray noise(20000, '\0');
    QRandomGenerator rng(20071018);
    const char alphabet[] = "{}\\'abcu0123456789-; \r\n*~";
    for (char& c : noise)
        c = alphabet[rng.bounded(int(sizeof alphabet - 1))];
    cases.push_back({"random control soup", "{\\rtf1" + noise});
    QByteArray binary(20000, '\0');
    for (char& c : binary)
        c = char(rng.bounded(256));
    cases.push_back({"random bytes", binary});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileRtf, ::testing::ValuesIn(hostileCases()));

TEST(LoadRtfFile, ShowsOurAboutText) {
    QTextEdit box;
    ASSERT_TRUE(LoadRtfFile(&box, kAbout));
    const QString text = box.toPlainText();
    EXPECT_TRUE(text.startsWith("Odomark\n"));
    EXPECT_TRUE(text.contains("Quorvale Software"));
    EXPECT_TRUE(text.contains("www.quorvale.example"));
    EXPECT_TRUE(text.contains(QString::fromUtf16(u"Copyright \u00a9 2007\u20132026")));
    EXPECT_FALSE(text.contains("Verdana")) << "font table shown as text";
    EXPECT_FALSE(text.contains("\\")) << "control words shown as text";
    // The heading is bold and larger than the body.
    QTextCursor heading(box.document()->findBlockByNumber(0));
    heading.movePosition(QTextCursor::NextCharacter);
    QTextCursor body(box.document()->findBlockByNumber(2));
    body.movePosition(QTextCursor::NextCharacter);
    EXPECT_TRUE(heading.charFormat().fontWeight() >= QFont::Bold);
    EXPECT_GT(heading.charFormat().fontPointSize(), body.charFormat().fontPointSize());
}

TEST(LoadRtfFile, LeavesTheBoxAloneWhenTheFileCannotBeUsed) {
    QTemporaryDir dir;
    QFile plain(dir.path() + "/plain.rtf");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("just some words, not rich text");
    plain.close();
    QTextEdit box;
    box.setPlainText("before");
    EXPECT_FALSE(LoadRtfFile(&box, dir.path() + "/missing.rtf"));
    EXPECT_FALSE(LoadRtfFile(&box, plain.fileName()));
    EXPECT_FALSE(LoadRtfFile(nullptr, kAbout));
    EXPECT_EQ(box.toPlainText(), "before");
}
} // namespace
