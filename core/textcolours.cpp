#include "core/textcolours.h"

#include <algorithm>
#include <cmath>

namespace korvanta {

namespace {

    double linear(int channel)
    {
        const double c = std::clamp(channel, 0, 255) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }

    // `colour` moved `step` 255ths of the way to white, each channel rounded.
    Rgb mixedWithWhite(Rgb colour, int step)
    {
        const auto mix = [step](int c) { return c + int(std::lround((255 - c) * step / 255.0)); };
        return { mix(colour.red), mix(colour.green), mix(colour.blue) };
    }

} // namespace

double relativeLuminance(Rgb colour)
{
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green)
        + 0.0722 * linear(colour.blue);
}

double contrastRatio(Rgb a, Rgb b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(Rgb ground, Rgb text)
{
    return relativeLuminance(text) > relativeLuminance(ground);
}

Rgb lightenedFor(Rgb colour, Rgb ground, double minimum)
{
    // Each step raises every channel, so the luminance only grows: the first step that is
    // lighter than the ground and contrasting enough is the least change.
    const double groundLuminance = relativeLuminance(ground);
    for (int step = 0; step <= 255; ++step) {
        const Rgb mixed = mixedWithWhite(colour, step);
        if (relativeLuminance(mixed) >= groundLuminance && contrastRatio(mixed, ground) >= minimum)
            return mixed;
    }
    return { 255, 255, 255 };
}

Rgb textColourOn(Rgb design, Rgb ground, Rgb text)
{
    if (!isDarkPalette(ground, text))
        return design;
    return design == Black ? text : lightenedFor(design, ground);
}

Rgb statusTextColour(bool copyingOff, Rgb ground, Rgb text)
{
    return textColourOn(copyingOff ? Blue : Black, ground, text);
}

} // namespace korvanta
