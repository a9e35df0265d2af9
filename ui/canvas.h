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

// A pixel rectangle: columns Left … Right−1 and rows Top … Bottom−1.
struct PixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    std::int64_t Width() const { return std::int64_t{Right} - Left; }
    std::int64_t Height() const { return std::int64_t{Bottom} - Top; }
    bool operator==(const PixelRect&) const = default;
};

enum class PenStyle { Solid, Dot };

struct CanvasPen {
    QColor Color{0, 0, 0};
    int Width = 1;  // pixels; below 1 counts as 1
    // Dot is 3 pixels on, 3 off, gaps left untouched; it applies to 1-pixel pens only,
    // wider pens draw solid.
    PenStyle Style = PenStyle::Solid;
};

struct CanvasBrush {
    QColor Color{255, 255, 255};
};

// Pixel rules: a shape given by (Left, Top, Right, Bottom) covers columns Left … Right−1 and
// rows Top … Bottom−1; a line does not paint its end pixel; no antialiasing except for text.
// Coordinates may lie anywhere in the 32-bit range; what falls outside the image is clipped.
class Canvas {
public:
    Canvas(int width, int height, const QColor& background);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CanvasPen Pen;
    CanvasBrush Brush;
    QColor FontColor{0, 0, 0};

    void SetFont(const QFont& font);
    const QFont& Font() const { return font_; }

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // The whole image: nothing else clips drawing.
    PixelRect ClipRect() const { return PixelRect{0, 0, Width(), Height()}; }

    void MoveTo(int X, int Y);
    // Line from the pen position to (X, Y), which becomes the pen position.
    void LineTo(int X, int Y);
    PixelPoint PenPos() const { return penPos_; }

    // Fills with the brush colour; no outline.
    void FillRect(const PixelRect& Rect);
    // Ellipse inscribed in the rectangle of two opposite corners, outlined with the pen and
    // filled with the brush.
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const PixelRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    // Connected lines through the points; the last point is not painted and the pen position
    // does not move. A dotted pattern runs on across the corners.
    void Polyline(std::span<const PixelPoint> Points);
    // Closed polygon, outlined with the pen and filled with the brush.
    void Polygon(std::span<const PixelPoint> Points);
    // Arc of the ellipse inscribed in (X1, Y1, X2, Y2), counter-clockwise as seen on the
    // screen, from the ray from the centre through (X3, Y3) to the ray through (X4, Y4);
    // equal rays give the whole ellipse. Not filled.
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    // Text with its top-left corner at (X, Y) on a TextWidth × TextHeight background filled
    // with the brush; the pen position moves to (X + TextWidth, Y).
    void TextOut(int X, int Y, const QString& Text);
    int TextWidth(const QString& Text) const;   // pixels, in the canvas font
    int TextHeight(const QString& Text) const;  // pixels, in the canvas font

    // Copies SourceRect of Source into Dest of this canvas, stretching when the sizes differ.
    // Source may be this canvas. Parts of SourceRect outside Source are not copied.
    void CopyRect(const PixelRect& Dest, const Canvas& Source, const PixelRect& SourceRect);

    // The image drawn on, live. Keep no copy of it: use Snapshot() for one.
    const QImage& Image() const { return image_; }
    QImage Snapshot() const { return image_.copy(); }

    // New size; the old pixels stay at their place, new area in the background colour.
    void Resize(int width, int height, const QColor& background);

    // Told the area (in pixels, possibly reaching beyond the image) that each drawing
    // operation may have changed.
    std::function<void(const QRect&)> Changed;

private:
    void Begin();
    void End();
    void ApplyPen();
    void ApplyBrush();
    bool OnePixelPen() const { return Pen.Width <= 1; }
    // Paints the pixels of a 1-pixel line from (x0, y0) towards (x1, y1), the end excluded,
    // that lie inside the image; phase is the dot-pattern position of the first pixel.
    void RasterLine(int x0, int y0, int x1, int y1, std::int64_t phase);
    // The rectangle of two opposite corners, and how far a pen may reach beyond it.
    struct ShapeBounds {
        std::int64_t Left, Top, Right, Bottom;
        int Margin;
    };
    // False when the rectangle is empty or its shape cannot reach the image.
    bool VisibleShape(int X1, int Y1, int X2, int Y2, ShapeBounds& b) const;
    bool Touches(std::int64_t left, std::int64_t top, std::int64_t right,
                 std::int64_t bottom) const;
    void Notify(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

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
    Bitmap(int width, int height);
    orrimar::Canvas& GetCanvas() { return canvas_; }
    const orrimar::Canvas& GetCanvas() const { return canvas_; }
    int Width() const { return canvas_.Width(); }
    int Height() const { return canvas_.Height(); }
    const QImage& Image() const { return canvas_.Image(); }

private:
    orrimar::Canvas canvas_;
};

}  // namespace orrimar
