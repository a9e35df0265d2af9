// A drawing canvas on an off-screen image in the classic raster style: pen, brush and pen
// position, shapes, text and rectangle copies, and the off-screen bitmap that uses it.
#pragma once

#include "plot/pixel_point.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

namespace orrimar {

// A pixel rectangle: columns left … right−1 and rows top … bottom−1.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::int64_t width() const { return std::int64_t{right} - left; }
    std::int64_t height() const { return std::int64_t{bottom} - top; }
    bool operator==(const PixelRect&) const = default;
};

enum class PenStyle { Solid, Dot };

struct CanvasPen {
    QColor color{0, 0, 0};
    int width = 1;  // pixels; below 1 counts as 1
    // Dot is 3 pixels on, 3 off, gaps left untouched; it applies to 1-pixel pens only,
    // wider pens draw solid.
    PenStyle style = PenStyle::Solid;
};

struct CanvasBrush {
    QColor color{255, 255, 255};
};

// Pixel rules: a shape given by (left, top, right, bottom) covers columns left … right−1 and
// rows top … bottom−1; a line does not paint its end pixel; no antialiasing except for text.
// Coordinates may lie anywhere in the 32-bit range; what falls outside the image is clipped.
//
// Coordinates, sizes and the rules above are in logical pixels. The image holds scale × scale
// device pixels per logical pixel (scale 2 on a screen of device pixel ratio 2): a shape keeps
// its logical extent, a line covers no device pixel of its end pixel's block, and curves, lines
// and text are drawn at the device resolution inside those bounds. At scale 1 each operation
// is the plain raster one.
class Canvas {
public:
    Canvas(int width, int height, const QColor& background, int scale = 1);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CanvasPen pen;
    CanvasBrush brush;
    QColor fontColor{0, 0, 0};

    void setFont(const QFont& font);
    const QFont& font() const { return font_; }

    int width() const { return width_; }    // logical pixels
    int height() const { return height_; }  // logical pixels
    // Device pixels per logical pixel, on either axis.
    int scale() const { return scale_; }
    // Another scale: what is drawn is kept, enlarged or reduced block by block, so that it
    // keeps its logical place until drawn again.
    void setScale(int scale, const QColor& background);
    // The whole image: nothing else clips drawing.
    PixelRect clipRect() const { return PixelRect{0, 0, width(), height()}; }

    void moveTo(int x, int y);
    // Line from the pen position to (x, y), which becomes the pen position.
    void lineTo(int x, int y);
    PixelPoint penPos() const { return penPos_; }

    // Fills with the brush colour; no outline.
    void fillRect(const PixelRect& rect);
    // Ellipse inscribed in the rectangle of two opposite corners, outlined with the pen and
    // filled with the brush.
    void ellipse(int x1, int y1, int x2, int y2);
    void ellipse(const PixelRect& rect) { ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    // Connected lines through the points; the last point is not painted and the pen position
    // does not move. A dotted pattern runs on across the corners.
    void polyline(std::span<const PixelPoint> points);
    // Closed polygon, outlined with the pen and filled with the brush.
    void polygon(std::span<const PixelPoint> points);
    // Arc of the ellipse inscribed in (x1, y1, x2, y2), counter-clockwise as seen on the
    // screen, from the ray from the centre through (x3, y3) to the ray through (x4, y4);
    // equal rays give the whole ellipse. Not filled.
    void arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Text with its top-left corner at (x, y) on a textWidth × textHeight background filled
    // with the brush; the pen position moves to (x + textWidth, y).
    void textOut(int x, int y, const QString& text);
    int textWidth(const QString& text) const;   // pixels, in the canvas font
    int textHeight(const QString& text) const;  // pixels, in the canvas font

    // Copies sourceRect of source into dest of this canvas, stretching when the sizes differ.
    // The source may be this canvas. Parts of sourceRect outside source are not copied.
    void copyRect(const PixelRect& dest, const Canvas& source, const PixelRect& sourceRect);

    // The image drawn on, live, in device pixels. Keep no copy of it: use snapshot() for one,
    // which carries the scale as its device pixel ratio.
    const QImage& image() const { return image_; }
    QImage snapshot() const;

    // New size; the old pixels stay at their place, new area in the background colour.
    void resize(int newWidth, int newHeight, const QColor& background);

    // Told the area (in logical pixels, possibly reaching beyond the image) that each drawing
    // operation may have changed.
    std::function<void(const QRect&)> changed;

private:
    void begin();
    void end();
    void applyPen();
    void applyBrush();
    bool onePixelPen() const { return pen.width <= 1; }
    // Paints the pixels of a 1-pixel line from (x0, y0) towards (x1, y1), the end excluded,
    // that lie inside the image; phase is the dot-pattern position of the first pixel.
    void rasterLine(int x0, int y0, int x1, int y1, std::int64_t phase);
    // The same line at scale > 1: its logical pixels' blocks bound a line of device pixels,
    // scale pixels thick.
    void scaledLine(int x0, int y0, int x1, int y1, std::int64_t phase);
    // At scale > 1, the painter's transform for shapes in logical coordinates (a 1-pixel pen
    // runs through the blocks' centres), clipped to the logical rectangle given; undone by
    // endScaled().
    void beginScaled(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                     bool penCentred);
    void endScaled();
    QRect deviceRect(std::int64_t left, std::int64_t top, std::int64_t right,
                     std::int64_t bottom) const;
    // The rectangle of two opposite corners, and how far a pen may reach beyond it.
    struct ShapeBounds {
        std::int64_t left, top, right, bottom;
        int margin;
    };
    // False when the rectangle is empty or its shape cannot reach the image.
    bool visibleShape(int x1, int y1, int x2, int y2, ShapeBounds& b) const;
    bool touches(std::int64_t left, std::int64_t top, std::int64_t right,
                 std::int64_t bottom) const;
    void notify(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    QImage image_;
    QPainter painter_;
    uchar* bits_ = nullptr;  // image_'s pixels while the painter is active
    qsizetype bytesPerLine_ = 0;
    QFont font_;
    QFontMetrics metrics_;
    PixelPoint penPos_;
    CanvasPen appliedPen_;
    QColor appliedBrush_;
    bool stateValid_ = false;  // appliedPen_ and appliedBrush_ are the painter's
};

// An off-screen picture with a canvas of its own, for saving and restoring screen areas.
class Bitmap {
public:
    Bitmap(int width, int height, int scale = 1);
    orrimar::Canvas& canvas() { return canvas_; }
    const orrimar::Canvas& canvas() const { return canvas_; }
    int width() const { return canvas_.width(); }
    int height() const { return canvas_.height(); }
    const QImage& image() const { return canvas_.image(); }

private:
    orrimar::Canvas canvas_;
};

}  // namespace orrimar
