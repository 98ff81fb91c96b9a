#pragma once

class QWidget;

namespace korvanta {

// Lengths are kept in twips (1/1440 inch) everywhere in the windows' code and converted to
// pixels only where a widget is placed, from the screen's logical DPI (15 twips a pixel at 96 DPI).
double twipsPerPixelX(const QWidget* widget = nullptr);
double twipsPerPixelY(const QWidget* widget = nullptr);

int twipsToPixelsX(double twips, const QWidget* widget = nullptr);
int twipsToPixelsY(double twips, const QWidget* widget = nullptr);
double pixelsToTwipsX(int pixels, const QWidget* widget = nullptr);
double pixelsToTwipsY(int pixels, const QWidget* widget = nullptr);

} // namespace korvanta
