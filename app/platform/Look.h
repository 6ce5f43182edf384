#pragma once
// How the windows look: the layouts' fonts on systems without them, and colours that stay readable under
// light and dark desktop palettes.

#include <QColor>

class QWidget;

// Makes the font names the layouts use resolve to installed free faces of the same kind where the named
// face is missing (a missing face would otherwise get whatever the system's fallback rules pick). Call once
// after the application object exists.
void InstallLayoutFonts();

// Contrast ratio of two colours by their relative luminance: 1 (none) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The colour closest to wanted (moved toward black or white) that reads at 4.5:1 or better on background.
QColor ReadableOn(const QColor& background, const QColor& wanted);
// The same for a field's border, which has to stand out at 3:1 from the window around it.
QColor BorderOn(const QColor& background, const QColor& wanted);

// Draws the frames of text fields and lists in a border that stands out from the window at 3:1 or better:
// dark desktop themes draw them nearly in the window's own colour. Call once after the application object
// exists, before any window is made.
void InstallReadableFrames();

// Colours a button or caption: background (invalid: the widget's own) and text together, the text made
// readable on the background. An invalid text colour means the palette's text colour.
void SetColours(QWidget* widget, const QColor& background, const QColor& text = QColor());
