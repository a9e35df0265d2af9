// Reading pixels back in widget tests.
#pragma once

#include "ui/canvas.h"

#include <QImage>

#include <algorithm>
#include <climits>

namespace orrimar::test {

// Colours compare without their alpha: canvases are opaque, clipboard images may not be.
inline bool SameColour(QRgb a, QRgb b) { return (a & 0xFFFFFF) == (b & 0xFFFFFF); }

// The smallest rectangle holding every pixel inside area for which match(pixel) holds;
// empty (Left > Right) when there is none.
template <typename Match>
PixelRect ExtentOf(const QImage& image, Match match, PixelRect area = {0, 0, INT_MAX, INT_MAX})
{
    PixelRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, image.height()); ++y)
        for (int x = std::max(area.left, 0); x < std::min(area.right, image.width()); ++x)
            if (match(image.pixel(x, y)))
                r = PixelRect{std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                          std::max(r.bottom, y + 1)};
    return r;
}

inline PixelRect ExtentOf(const QImage& image, QRgb colour, PixelRect area = {0, 0, INT_MAX, INT_MAX})
{
    return ExtentOf(image, [colour](QRgb p) { return SameColour(p, colour); }, area);
}

inline int CountColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += SameColour(image.pixel(x, y), colour);
    return n;
}

// Whether match holds for a pixel within one pixel of (x, y).
template <typename Match>
bool MatchNear(const QImage& image, int x, int y, Match match)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && match(image.pixel(x + dx, y + dy)))
                return true;
    return false;
}

// The logical pixels whose blocks of scale × scale device pixels meet an extent of device
// pixels (empty stays empty).
inline PixelRect Logical(const PixelRect& e, int scale)
{
    return e.left > e.right ? e
                            : PixelRect{e.left / scale, e.top / scale, (e.right + scale - 1) / scale,
                                        (e.bottom + scale - 1) / scale};
}

// A picture of scale × scale device pixels per logical pixel reduced to logical pixels: a
// block's colour when the whole block has it, else MixedBlock (no drawing uses it).
inline constexpr QRgb MixedBlock = 0xff010101;
inline QImage Blocks(const QImage& device, int scale)
{
    QImage logical(device.width() / scale, device.height() / scale, QImage::Format_RGB32);
    for (int y = 0; y < logical.height(); ++y)
        for (int x = 0; x < logical.width(); ++x) {
            QRgb colour = device.pixel(x * scale, y * scale);
            for (int j = 0; j < scale * scale; ++j)
                if (device.pixel(x * scale + j % scale, y * scale + j / scale) != colour)
                    colour = MixedBlock;
            logical.setPixel(x, y, colour);
        }
    return logical;
}

}  // namespace orrimar::test
