#include "ui/canvas.h"

#include <QBrush>
#include <QLineF>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRectF>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace orrimar {

namespace {

constexpr QImage::Format kFormat = QImage::Format_RGB32;

// Pixels on and off of the dotted pen (the classic raster dot pattern).
constexpr std::int64_t kDotOn = 3;
constexpr std::int64_t kDotPeriod = 6;

// The line arithmetic multiplies 33-bit values: products up to about 2^66 are held in
// two 64-bit words.
struct WideUnsigned {
    std::uint64_t High = 0;
    std::uint64_t Low = 0;
};

WideUnsigned MultiplyWide(std::uint64_t a, std::uint64_t b)
{
    constexpr std::uint64_t half = 0xFFFFFFFFu;
    const std::uint64_t ll = (a & half) * (b & half);
    const std::uint64_t lh = (a & half) * (b >> 32);
    const std::uint64_t hl = (a >> 32) * (b & half);
    const std::uint64_t hh = (a >> 32) * (b >> 32);
    const std::uint64_t middle = (ll >> 32) + (lh & half) + (hl & half);
    return {hh + (lh >> 32) + (hl >> 32) + (middle >> 32), (middle << 32) | (ll & half)};
}

// n / divisor and n % divisor for 0 < divisor < 2^48, sixteen bits at a time: the running
// remainder shifted by 16 bits then stays below 2^64.
WideUnsigned DivideWide(WideUnsigned n, std::uint64_t divisor, std::uint64_t& remainder)
{
    WideUnsigned quotient;
    std::uint64_t rest = 0;
    for (int shift = 112; shift >= 0; shift -= 16) {
        const std::uint64_t word = shift >= 64 ? n.High >> (shift - 64) : n.Low >> shift;
        rest = (rest << 16) | (word & 0xFFFF);
        quotient.High = (quotient.High << 16) | (quotient.Low >> 48);
        quotient.Low = (quotient.Low << 16) | (rest / divisor);
        rest %= divisor;
    }
    remainder = rest;
    return quotient;
}

std::uint64_t Magnitude(std::int64_t v)
{
    return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

// ⌈a·b / divisor⌉ for b ≥ 0 and 0 < divisor < 2^48, limited to ±(2^63 − 1). Only lines that
// cannot reach the image get a result beyond that limit.
std::int64_t CeilMulDiv(std::int64_t a, std::int64_t b, std::int64_t divisor)
{
    std::uint64_t remainder = 0;
    const WideUnsigned q = DivideWide(MultiplyWide(Magnitude(a), static_cast<std::uint64_t>(b)),
                                      static_cast<std::uint64_t>(divisor), remainder);
    constexpr std::uint64_t limit = INT64_MAX;
    const bool roundUp = a > 0 && remainder != 0;
    const std::int64_t v = q.High != 0 || q.Low >= limit
                               ? INT64_MAX
                               : static_cast<std::int64_t>(q.Low) + (roundUp ? 1 : 0);
    return a < 0 ? -v : v;
}

int Saturate(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

bool SameColour(const QColor& a, const QColor& b) { return a.rgba() == b.rgba(); }

// Counter-clockwise angle on the screen, in degrees, of the ellipse parameter at which the
// ray from the centre through (x, y) meets the ellipse of radii rx, ry.
double ParameterAngle(double x, double y, double cx, double cy, double rx, double ry)
{
    const double u = rx > 0 ? (x - cx) / rx : x - cx;
    const double v = ry > 0 ? (cy - y) / ry : cy - y;
    return std::atan2(v, u) * 180.0 / std::numbers::pi;
}

}  // namespace

Canvas::Canvas(int width, int height, const QColor& background)
    : image_(std::max(width, 0), std::max(height, 0), kFormat), metrics_(font_)
{
    if (!image_.isNull())
        image_.fill(background);
    Begin();
}

Canvas::~Canvas() { End(); }

void Canvas::Begin()
{
    stateValid_ = false;
    if (image_.isNull())
        return;
    // bits() makes the image's data our own before the painter starts writing into it.
    bits_ = image_.bits();
    bytesPerLine_ = image_.bytesPerLine();
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setFont(font_);
}

void Canvas::End()
{
    if (painter_.isActive())
        painter_.end();
    bits_ = nullptr;
    stateValid_ = false;
}

void Canvas::SetFont(const QFont& font)
{
    font_ = font;
    metrics_ = QFontMetrics(font_);
    if (painter_.isActive())
        painter_.setFont(font_);
}

void Canvas::ApplyPen()
{
    const CanvasPen& p = Pen;
    if (stateValid_ && SameColour(p.Color, appliedPen_.Color) && p.Width == appliedPen_.Width &&
        p.Style == appliedPen_.Style)
        return;
    QPen pen(p.Color, std::max(p.Width, 1), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (p.Style == PenStyle::Dot && OnePixelPen())
        pen.setDashPattern({qreal(kDotOn), qreal(kDotPeriod - kDotOn)});
    painter_.setPen(pen);
    appliedPen_ = p;
    if (!stateValid_) {
        painter_.setBrush(Brush.Color);
        appliedBrush_ = Brush.Color;
        stateValid_ = true;
    }
}

void Canvas::ApplyBrush()
{
    ApplyPen();
    if (SameColour(Brush.Color, appliedBrush_))
        return;
    painter_.setBrush(Brush.Color);
    appliedBrush_ = Brush.Color;
}

bool Canvas::Touches(std::int64_t left, std::int64_t top, std::int64_t right,
                     std::int64_t bottom) const
{
    return painter_.isActive() && right > 0 && bottom > 0 && left < Width() && top < Height();
}

void Canvas::Notify(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    if (!Changed)
        return;
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, Width());
    bottom = std::min<std::int64_t>(bottom, Height());
    if (left < right && top < bottom)
        Changed(QRect(int(left), int(top), int(right - left), int(bottom - top)));
}

void Canvas::MoveTo(int X, int Y) { penPos_ = PixelPoint{X, Y}; }

void Canvas::LineTo(int X, int Y)
{
    const PixelPoint from = penPos_;
    penPos_ = PixelPoint{X, Y};
    const int margin = std::max(Pen.Width, 1);
    const std::int64_t left = std::int64_t{std::min(from.X, X)} - margin;
    const std::int64_t top = std::int64_t{std::min(from.Y, Y)} - margin;
    const std::int64_t right = std::int64_t{std::max(from.X, X)} + margin + 1;
    const std::int64_t bottom = std::int64_t{std::max(from.Y, Y)} + margin + 1;
    if (!Touches(left, top, right, bottom))
        return;
    if (OnePixelPen()) {
        RasterLine(from.X, from.Y, X, Y, 0);
    } else {
        ApplyPen();
        painter_.drawLine(QLineF(from.X, from.Y, X, Y));
    }
    Notify(left, top, right, bottom);
}

void Canvas::RasterLine(int x0, int y0, int x1, int y1, std::int64_t phase)
{
    if (bits_ == nullptr)
        return;
    const std::int64_t dxSigned = std::int64_t{x1} - x0;
    const std::int64_t dySigned = std::int64_t{y1} - y0;
    const bool xMajor = std::abs(dxSigned) >= std::abs(dySigned);
    const std::int64_t dMaj = xMajor ? std::abs(dxSigned) : std::abs(dySigned);
    const std::int64_t dMin = xMajor ? std::abs(dySigned) : std::abs(dxSigned);
    if (dMaj == 0)
        return;
    const int sMaj = (xMajor ? dxSigned : dySigned) < 0 ? -1 : 1;
    const int sMin = (xMajor ? dySigned : dxSigned) < 0 ? -1 : 1;
    const std::int64_t c0Maj = xMajor ? x0 : y0;
    const std::int64_t c0Min = xMajor ? y0 : x0;
    const std::int64_t sizeMaj = xMajor ? Width() : Height();
    const std::int64_t sizeMin = xMajor ? Height() : Width();

    // Pixel i (0 … dMaj−1) lies at major c0Maj + sMaj·i and minor c0Min + sMin·m(i) with
    // m(i) = floor((2·i·dMin + dMaj) / (2·dMaj)), which never decreases: the visible pixels
    // form one run of i, found without walking the invisible ones.
    std::int64_t lo = 0;
    std::int64_t hi = dMaj - 1;
    if (sMaj > 0) {
        lo = std::max(lo, -c0Maj);
        hi = std::min(hi, sizeMaj - 1 - c0Maj);
    } else {
        lo = std::max(lo, c0Maj - (sizeMaj - 1));
        hi = std::min(hi, c0Maj);
    }
    const std::int64_t mLo = sMin > 0 ? -c0Min : c0Min - (sizeMin - 1);
    const std::int64_t mHi = sMin > 0 ? sizeMin - 1 - c0Min : c0Min;
    if (dMin == 0) {
        if (mLo > 0 || mHi < 0)
            return;
    } else {
        lo = std::max(lo, CeilMulDiv(2 * mLo - 1, dMaj, 2 * dMin));
        hi = std::min(hi, CeilMulDiv(2 * mHi + 1, dMaj, 2 * dMin) - 1);
    }
    if (lo > hi)
        return;

    // m(lo) and the remainder of its division, from (2·lo·dMin) / (2·dMaj) plus dMaj.
    std::uint64_t remainder = 0;
    const WideUnsigned q = DivideWide(MultiplyWide(std::uint64_t(2 * lo), std::uint64_t(dMin)),
                                      std::uint64_t(2 * dMaj), remainder);
    std::int64_t m = std::int64_t(q.Low);
    std::int64_t rest = std::int64_t(remainder) + dMaj;
    if (rest >= 2 * dMaj) {
        rest -= 2 * dMaj;
        ++m;
    }
    const QRgb colour = Pen.Color.rgb();
    const bool dotted = Pen.Style == PenStyle::Dot;
    for (std::int64_t i = lo; i <= hi; ++i) {
        if (!dotted || (phase + i) % kDotPeriod < kDotOn) {
            const std::int64_t major = c0Maj + sMaj * i;
            const std::int64_t minor = c0Min + sMin * m;
            const std::int64_t x = xMajor ? major : minor;
            const std::int64_t y = xMajor ? minor : major;
            reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = colour;
        }
        rest += 2 * dMin;
        if (rest >= 2 * dMaj) {
            rest -= 2 * dMaj;
            ++m;
        }
    }
}

void Canvas::FillRect(const PixelRect& Rect)
{
    const std::int64_t left = std::max<std::int64_t>(Rect.Left, 0);
    const std::int64_t top = std::max<std::int64_t>(Rect.Top, 0);
    const std::int64_t right = std::min<std::int64_t>(Rect.Right, Width());
    const std::int64_t bottom = std::min<std::int64_t>(Rect.Bottom, Height());
    if (!painter_.isActive() || left >= right || top >= bottom)
        return;
    painter_.fillRect(QRect(int(left), int(top), int(right - left), int(bottom - top)),
                      Brush.Color);
    Notify(left, top, right, bottom);
}

bool Canvas::VisibleShape(int X1, int Y1, int X2, int Y2, ShapeBounds& b) const
{
    b.Left = std::min(X1, X2);
    b.Right = std::max(X1, X2);
    b.Top = std::min(Y1, Y2);
    b.Bottom = std::max(Y1, Y2);
    b.Margin = std::max(Pen.Width, 1);
    return b.Right > b.Left && b.Bottom > b.Top &&
           Touches(b.Left - b.Margin, b.Top - b.Margin, b.Right + b.Margin, b.Bottom + b.Margin);
}

void Canvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    ShapeBounds b;
    if (!VisibleShape(X1, Y1, X2, Y2, b))
        return;
    const std::int64_t left = b.Left, top = b.Top, right = b.Right, bottom = b.Bottom;
    ApplyBrush();
    // With a 1-pixel pen Qt's outline of (x, y, w, h) covers columns x … x+w: one less
    // than the rectangle's width gives columns Left … Right−1.
    painter_.drawEllipse(QRectF(double(left), double(top), double(right - left - 1),
                                double(bottom - top - 1)));
    Notify(left - b.Margin, top - b.Margin, right + b.Margin, bottom + b.Margin);
}

void Canvas::Polyline(std::span<const PixelPoint> Points)
{
    if (Points.size() < 2 || !painter_.isActive())
        return;
    std::int64_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const PixelPoint& p : Points) {
        left = std::min<std::int64_t>(left, p.X);
        top = std::min<std::int64_t>(top, p.Y);
        right = std::max<std::int64_t>(right, p.X);
        bottom = std::max<std::int64_t>(bottom, p.Y);
    }
    const int margin = std::max(Pen.Width, 1);
    left -= margin;
    top -= margin;
    right += margin + 1;
    bottom += margin + 1;
    if (!Touches(left, top, right, bottom))
        return;
    if (OnePixelPen()) {
        std::int64_t phase = 0;
        for (std::size_t k = 1; k < Points.size(); ++k) {
            const PixelPoint& a = Points[k - 1];
            const PixelPoint& b = Points[k];
            RasterLine(a.X, a.Y, b.X, b.Y, phase);
            phase += std::max(std::abs(std::int64_t{b.X} - a.X), std::abs(std::int64_t{b.Y} - a.Y));
        }
    } else {
        ApplyPen();
        QPolygon polygon(int(Points.size()));
        for (std::size_t k = 0; k < Points.size(); ++k)
            polygon[int(k)] = QPoint(Points[k].X, Points[k].Y);
        painter_.drawPolyline(polygon);
    }
    Notify(left, top, right, bottom);
}

void Canvas::Polygon(std::span<const PixelPoint> Points)
{
    if (Points.empty() || !painter_.isActive())
        return;
    std::int64_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    QPolygon polygon(int(Points.size()));
    for (std::size_t k = 0; k < Points.size(); ++k) {
        const PixelPoint& p = Points[k];
        polygon[int(k)] = QPoint(p.X, p.Y);
        left = std::min<std::int64_t>(left, p.X);
        top = std::min<std::int64_t>(top, p.Y);
        right = std::max<std::int64_t>(right, p.X);
        bottom = std::max<std::int64_t>(bottom, p.Y);
    }
    const int margin = std::max(Pen.Width, 1);
    if (!Touches(left - margin, top - margin, right + margin + 1, bottom + margin + 1))
        return;
    ApplyBrush();
    painter_.drawPolygon(polygon);
    Notify(left - margin, top - margin, right + margin + 1, bottom + margin + 1);
}

void Canvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4)
{
    ShapeBounds b;
    if (!VisibleShape(X1, Y1, X2, Y2, b))
        return;
    const std::int64_t left = b.Left, top = b.Top, right = b.Right, bottom = b.Bottom;
    // The outline runs through pixel centres from Left to Right−1, as for Ellipse.
    const double w = double(right - left - 1);
    const double h = double(bottom - top - 1);
    const double cx = double(left) + w / 2;
    const double cy = double(top) + h / 2;
    const double start = ParameterAngle(X3, Y3, cx, cy, w / 2, h / 2);
    const double end = ParameterAngle(X4, Y4, cx, cy, w / 2, h / 2);
    double span = std::fmod(end - start, 360.0);
    if (span <= 0)
        span += 360.0;
    ApplyPen();
    // Qt measures arcs in sixteenths of a degree, counter-clockwise on the screen.
    painter_.drawArc(QRectF(double(left), double(top), w, h), int(std::lround(start * 16)),
                     int(std::lround(span * 16)));
    Notify(left - b.Margin, top - b.Margin, right + b.Margin, bottom + b.Margin);
}

int Canvas::TextWidth(const QString& Text) const { return metrics_.horizontalAdvance(Text); }

int Canvas::TextHeight(const QString&) const { return metrics_.height(); }

void Canvas::TextOut(int X, int Y, const QString& Text)
{
    const int w = TextWidth(Text);
    const int h = metrics_.height();
    const std::int64_t right = std::int64_t{X} + w;
    const std::int64_t bottom = std::int64_t{Y} + h;
    penPos_ = PixelPoint{Saturate(right), Y};
    if (!Touches(X, Y, right, bottom))
        return;
    painter_.fillRect(QRect(X, Y, w, h), Brush.Color);
    painter_.setPen(FontColor);
    painter_.drawText(X, Y + metrics_.ascent(), Text);
    stateValid_ = false;
    Notify(X, Y, right, bottom);
}

void Canvas::CopyRect(const PixelRect& Dest, const Canvas& Source, const PixelRect& SourceRect)
{
    if (Dest.Width() <= 0 || Dest.Height() <= 0 || SourceRect.Width() <= 0 ||
        SourceRect.Height() <= 0 || Source.image_.isNull() ||
        !Touches(Dest.Left, Dest.Top, Dest.Right, Dest.Bottom))
        return;

    if (Dest.Width() != SourceRect.Width() || Dest.Height() != SourceRect.Height()) {
        const QRectF target(Dest.Left, Dest.Top, double(Dest.Width()), double(Dest.Height()));
        const QRectF source(SourceRect.Left, SourceRect.Top, double(SourceRect.Width()),
                            double(SourceRect.Height()));
        if (&Source == this)
            painter_.drawImage(target, image_.copy(), source);
        else
            painter_.drawImage(target, Source.image_, source);
        Notify(Dest.Left, Dest.Top, Dest.Right, Dest.Bottom);
        return;
    }

    // Same size: clip the source to its image and the destination to ours, moving the
    // other rectangle along so that pixels keep their correspondence.
    std::int64_t sl = SourceRect.Left, st = SourceRect.Top;
    std::int64_t sr = SourceRect.Right, sb = SourceRect.Bottom;
    std::int64_t dl = Dest.Left, dt = Dest.Top;
    auto clipLow = [](std::int64_t& a, std::int64_t& b) {  // a, b: corresponding starts
        if (a < 0) {
            b -= a;
            a = 0;
        }
    };
    clipLow(sl, dl);
    clipLow(st, dt);
    clipLow(dl, sl);
    clipLow(dt, st);
    sr = std::min<std::int64_t>(sr, Source.Width());
    sb = std::min<std::int64_t>(sb, Source.Height());
    sr = std::min<std::int64_t>(sr, sl + (Width() - dl));
    sb = std::min<std::int64_t>(sb, st + (Height() - dt));
    if (sl >= sr || st >= sb)
        return;
    const QRect source{int(sl), int(st), int(sr - sl), int(sb - st)};
    const QPoint target{int(dl), int(dt)};
    if (&Source == this)
        painter_.drawImage(target, image_.copy(source));
    else
        painter_.drawImage(target, Source.image_, source);
    Notify(dl, dt, dl + (sr - sl), dt + (sb - st));
}

void Canvas::Resize(int width, int height, const QColor& background)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height())
        return;
    QImage next(width, height, kFormat);
    if (!next.isNull())
        next.fill(background);
    End();
    if (!next.isNull() && !image_.isNull()) {
        QPainter copier(&next);
        copier.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
    Begin();
}

Bitmap::Bitmap(int width, int height) : canvas_(width, height, QColor(255, 255, 255)) {}

}  // namespace orrimar
