#include "text_colours.h"

#include <algorithm>
#include <cmath>

namespace tildo {

namespace {

double Channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c)
{
    return 0.2126 * Channel(c.red()) + 0.7152 * Channel(c.green()) + 0.0722 * Channel(c.blue());
}

QColor Mix(const QColor& from, const QColor& to, double share)
{
    const auto mix = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// The two adjusted colours for one background, kept for the next call: the
// editor asks for them letter by letter.
struct TAdjusted
{
    QRgb Background = 0;
    bool Valid = false;
    bool BlackReadable = true;
    QColor Blue;
};

const TAdjusted& Adjusted(const QColor& background)
{
    static TAdjusted cache;
    if (!cache.Valid || cache.Background != background.rgba()) {
        cache.Background = background.rgba();
        cache.BlackReadable = ContrastRatio(Qt::black, background) >= 4.5;
        cache.Blue = WithContrast(ToQColor(ColourBlue), background, 4.5);
        cache.Valid = true;
    }
    return cache;
}

} // namespace

TColour ToColour(const QColor& c)
{
    return Rgb(
        static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()), static_cast<unsigned>(c.blue()));
}

QColor ToQColor(TColour c)
{
    return QColor(
        static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF));
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor WithContrast(const QColor& colour, const QColor& background, double minimum)
{
    if (ContrastRatio(colour, background) >= minimum)
        return colour;
    const QColor target = Luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    // The least mix that is enough, found by halving.
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < 12; ++step) {
        const double middle = (low + high) / 2;
        if (ContrastRatio(Mix(colour, target, middle), background) >= minimum)
            high = middle;
        else
            low = middle;
    }
    return Mix(colour, target, high);
}

QColor ReadableOn(const QColor& background)
{
    return ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background) ? QColor(Qt::black)
                                                                                        : QColor(Qt::white);
}

QColor TintFor(const QColor& tint, const QColor& background)
{
    if (Luminance(background) >= 0.18)
        return tint;
    // A fifth of the tint over the background: its hue, the background's depth.
    return Mix(background, tint, 0.2);
}

QColor ShownColour(TColour colour, const QColor& background, const QColor& textColour)
{
    const TAdjusted& adjusted = Adjusted(background);
    if (colour == ColourBlack && !adjusted.BlackReadable)
        return textColour;
    if (colour == ColourBlue)
        return adjusted.Blue;
    return ToQColor(colour);
}

TColour StoredColour(const QColor& shown, const QColor& background, const QColor& textColour)
{
    const TAdjusted& adjusted = Adjusted(background);
    if (!adjusted.BlackReadable && shown.rgb() == textColour.rgb())
        return ColourBlack;
    if (shown.rgb() == adjusted.Blue.rgb())
        return ColourBlue;
    return ToColour(shown);
}

} // namespace tildo
