#pragma once

namespace korvanta {

// The program's fixed text colours, made for black text on a light grey ground, on the desktop's
// palette. On a light palette they are used exactly as made. On a dark one (light text on a dark
// ground) black stands for the palette's own text colour, and any other colour is mixed with
// white just enough to keep a contrast of at least 4.5:1 against the ground, so that blue stays a
// blue a person can read.

// A colour as red, green and blue from 0 to 255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb Black { 0, 0, 0 };
inline constexpr Rgb Blue { 0, 0, 255 };

// The contrast text keeps against its ground on a dark palette (WCAG 2 level AA for normal text).
inline constexpr double MinimumContrast = 4.5;

// The relative luminance of an sRGB colour (WCAG 2): 0 for black to 1 for white.
double relativeLuminance(Rgb colour);

// The contrast ratio of two colours (WCAG 2): (L1 + 0.05) / (L2 + 0.05) with L1 the lighter
// one's luminance; from 1 (the same) to 21 (black and white). Symmetric.
double contrastRatio(Rgb a, Rgb b);

// Whether a palette whose text colour is `text` on the ground `ground` is dark: its text is
// lighter than its ground.
bool isDarkPalette(Rgb ground, Rgb text);

// `colour` mixed with as little white as makes it lighter than `ground` and at least `minimum`
// times as contrasting; white when no mix reaches that.
Rgb lightenedFor(Rgb colour, Rgb ground, double minimum = MinimumContrast);

// The colour to draw text with that is made as `design`, on a palette with the ground `ground`
// and the text colour `text`: `design` itself on a light palette; on a dark one `text` for black
// and `design` lightened for the ground otherwise.
Rgb textColourOn(Rgb design, Rgb ground, Rgb text);

// The status label's text colour: black while copying is on, blue while it is off, as
// textColourOn gives them for the palette.
Rgb statusTextColour(bool copyingOff, Rgb ground, Rgb text);

} // namespace korvanta
