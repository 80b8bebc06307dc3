#pragma once

#include "platform/text_document.h"

#include <QColor>

namespace tildo {

// A core colour (0xRRGGBB) as Qt paints it, and back.
TColour ToColour(const QColor& c);
QColor ToQColor(TColour c);

// The contrast ratio of two colours by their relative luminance, from 1 (the
// same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The colour itself when it stands out from background by at least minimum,
// else the colour mixed towards white (on a dark background) or black (on a
// light one) just enough to.
QColor WithContrast(const QColor& colour, const QColor& background, double minimum = 4.5);

// Black or white, whichever reads better on background.
QColor ReadableOn(const QColor& background);

// A light tint of the program's own (a panel, a marker) for a surface whose
// neighbours have that background: the tint itself on a light background; on
// a dark one a dark shade of the same hue, so that the surface does not glare
// and the palette's light text reads on it.
QColor TintFor(const QColor& tint, const QColor& background);

// How a text colour of the core is painted on the editor's background, and
// back. Black and the mark blue that would not stand out (a dark palette) are
// painted in readable colours of their own and read back as black and blue;
// every other colour is painted as it is.
QColor ShownColour(TColour colour, const QColor& background, const QColor& textColour);
TColour StoredColour(const QColor& shown, const QColor& background, const QColor& textColour);

} // namespace tildo
