// The layouts' fonts resolve to installed upright faces of their kind; colours are made readable.
#include "platform/Look.h"

#include <QFont>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace {
struct FontCase {
    const char* layout;
    bool bold;
    const char* family;
};

void PrintTo(const FontCase& c, std::ostream* out) {
    *out << c.layout << (c.bold ? " bold" : "");
}

class LayoutFont : public ::testing::TestWithParam<FontCase> {};

TEST_P(LayoutFont, ResolvesToAnUprightFaceOfTheIntendedFamily) {
    const FontCase& c = GetParam();
    InstallLayoutFonts();
    QFont font(QString::fromLatin1(c.layout));
    font.setPointSizeF(12);
    font.setBold(c.bold);
    const QFontInfo info(font);
    EXPECT_EQ(info.family(), QString::fromLatin1(c.family));
    EXPECT_EQ(info.style(), QFont::StyleNormal);
    EXPECT_EQ(info.bold(), c.bold);
}

// The faces the splash window, the about box, the profile fields and the reports name.
INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutFont,
    ::testing::Values(FontCase{"Comic Sans MS", true, "Comic Neue"}, FontCase{"Comic Sans MS", false, "Comic Neue"},
                      FontCase{"MS Sans Serif", false, "DejaVu Sans"}, FontCase{"Verdana", false, "DejaVu Sans"},
                      FontCase{"Verdana", true, "DejaVu Sans"}, FontCase{"Arial", false, "Liberation Sans"},
                      FontCase{"Arial", true, "Liberation Sans"}));

struct ColourCase {
    QColor background, wanted;
    bool kept; // the wanted colour already reads
};

TEST(ReadableOn, KeepsReadableColoursAndMovesOthersFarEnough) {
    const ColourCase cases[] = {
        {Qt::white, Qt::black, true},
        {QColor(239, 239, 239), QColor(0, 0, 255), true}, // the focus caption on a light window
        {QColor(53, 53, 53), QColor(0, 0, 255), false},   // ... on a dark one
        {QColor(53, 53, 53), Qt::black, false},           // a black caption on a dark window
        {QColor(0x9B, 0xE5, 0x9B), Qt::white, false},     // light text on a pastel button
        {QColor(0xFF, 0xFF, 0xC0), QColor(220, 220, 220), false},
        {Qt::black, Qt::black, false},
    };
    for (const ColourCase& c : cases) {
        const QColor result = ReadableOn(c.background, c.wanted);
        EXPECT_GE(ContrastRatio(c.background, result), 4.5) << c.background.name().toStdString();
        EXPECT_EQ(result == c.wanted, c.kept) << c.background.name().toStdString();
    }
    // A field's border: 3:1 is enough, and a border that has it keeps its colour.
    for (const QColor& window : {QColor(239, 239, 239), QColor(53, 53, 53)})
        EXPECT_GE(ContrastRatio(window, BorderOn(window, window.darker(140))), 3.0) << window.name().toStdString();
    EXPECT_EQ(BorderOn(Qt::white, QColor(118, 118, 118)), QColor(118, 118, 118));
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(Qt::red, Qt::red), 1.0, 0.01);
}
} // namespace
