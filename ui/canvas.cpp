#include "ui/canvas.h"

#include <QBrush>
#include <QLineF>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>

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

// The pixels of a line of device pixels from logical (x0, y0) towards (x1, y1), the end
// excluded, at the scale k, each the first of a run of k along the minor axis (downwards or
// rightwards): pixel i (0 … dMaj−1) lies at major C0Maj + SMaj·i and minor C0Min + SMin·m(i)
// with m(i) = floor((2·i·DMin + DMaj) / (2·DMaj)), which never decreases, so the pixels
// whose runs are visible form one run of i, Lo … Hi, found without walking the invisible
// ones. M is m(Lo); advance() moves it on to the next i. Backwards along the major axis the
// line starts at the far side of its first block, so that either way it covers its first
// block and stops before its end pixel's block.
struct LineRun {
    bool XMajor = true;
    int SMaj = 1;
    int SMin = 1;
    std::int64_t C0Maj = 0;
    std::int64_t C0Min = 0;
    std::int64_t DMaj = 0;
    std::int64_t DMin = 0;
    std::int64_t Lo = 0;
    std::int64_t Hi = 0;
    std::int64_t M = 0;
    std::int64_t Rest = 0;  // m's remainder, offset by DMaj

    void advance()
    {
        Rest += 2 * DMin;
        if (Rest >= 2 * DMaj) {
            Rest -= 2 * DMaj;
            ++M;
        }
    }
};

// The line's visible pixels in an image of width × height device pixels; none when no
// pixel of it is visible.
std::optional<LineRun> VisibleRun(int x0, int y0, int x1, int y1, std::int64_t k,
                                  std::int64_t width, std::int64_t height)
{
    LineRun r;
    const std::int64_t dxSigned = (std::int64_t{x1} - x0) * k;
    const std::int64_t dySigned = (std::int64_t{y1} - y0) * k;
    r.XMajor = std::abs(dxSigned) >= std::abs(dySigned);
    r.DMaj = r.XMajor ? std::abs(dxSigned) : std::abs(dySigned);
    r.DMin = r.XMajor ? std::abs(dySigned) : std::abs(dxSigned);
    if (r.DMaj == 0)
        return std::nullopt;
    r.SMaj = (r.XMajor ? dxSigned : dySigned) < 0 ? -1 : 1;
    r.SMin = (r.XMajor ? dySigned : dxSigned) < 0 ? -1 : 1;
    r.C0Maj = std::int64_t{r.XMajor ? x0 : y0} * k + (r.SMaj < 0 ? k - 1 : 0);
    r.C0Min = std::int64_t{r.XMajor ? y0 : x0} * k;
    const std::int64_t sizeMaj = r.XMajor ? width : height;
    const std::int64_t sizeMin = r.XMajor ? height : width;

    // A run is visible when its first pixel's minor coordinate lies in −(k − 1) … sizeMin − 1.
    std::int64_t lo = 0;
    std::int64_t hi = r.DMaj - 1;
    if (r.SMaj > 0) {
        lo = std::max(lo, -r.C0Maj);
        hi = std::min(hi, sizeMaj - 1 - r.C0Maj);
    } else {
        lo = std::max(lo, r.C0Maj - (sizeMaj - 1));
        hi = std::min(hi, r.C0Maj);
    }
    const std::int64_t mLo = r.SMin > 0 ? -(k - 1) - r.C0Min : r.C0Min - (sizeMin - 1);
    const std::int64_t mHi = r.SMin > 0 ? sizeMin - 1 - r.C0Min : r.C0Min + k - 1;
    if (r.DMin == 0) {
        if (mLo > 0 || mHi < 0)
            return std::nullopt;
    } else {
        lo = std::max(lo, CeilMulDiv(2 * mLo - 1, r.DMaj, 2 * r.DMin));
        hi = std::min(hi, CeilMulDiv(2 * mHi + 1, r.DMaj, 2 * r.DMin) - 1);
    }
    if (lo > hi)
        return std::nullopt;
    r.Lo = lo;
    r.Hi = hi;

    // m(lo) and the remainder of its division, from (2·lo·DMin) / (2·DMaj) plus DMaj.
    std::uint64_t remainder = 0;
    const WideUnsigned q = DivideWide(MultiplyWide(std::uint64_t(2 * lo), std::uint64_t(r.DMin)),
                                      std::uint64_t(2 * r.DMaj), remainder);
    r.M = std::int64_t(q.Low);
    r.Rest = std::int64_t(remainder) + r.DMaj;
    if (r.Rest >= 2 * r.DMaj) {
        r.Rest -= 2 * r.DMaj;
        ++r.M;
    }
    return r;
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

// Device pixels across `logical` pixels at the scale.
int DeviceLength(int logical, int scale)
{
    return Saturate(std::int64_t{std::max(logical, 0)} * scale);
}

}  // namespace

Canvas::Canvas(int width, int height, const QColor& background, int scale)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), scale_(std::max(scale, 1)),
      image_(DeviceLength(width_, scale_), DeviceLength(height_, scale_), kFormat),
      metrics_(font_)
{
    if (!image_.isNull())
        image_.fill(background);
    begin();
}

Canvas::~Canvas() { end(); }

void Canvas::begin()
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

void Canvas::end()
{
    if (painter_.isActive())
        painter_.end();
    bits_ = nullptr;
    stateValid_ = false;
}

void Canvas::setFont(const QFont& font)
{
    font_ = font;
    metrics_ = QFontMetrics(font_);
    if (painter_.isActive())
        painter_.setFont(font_);
}

void Canvas::applyPen()
{
    const CanvasPen& p = pen;
    if (stateValid_ && SameColour(p.color, appliedPen_.color) && p.width == appliedPen_.width &&
        p.style == appliedPen_.style)
        return;
    QPen pen(p.color, std::max(p.width, 1), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (p.style == PenStyle::Dot && onePixelPen())
        pen.setDashPattern({qreal(kDotOn), qreal(kDotPeriod - kDotOn)});
    painter_.setPen(pen);
    appliedPen_ = p;
    if (!stateValid_) {
        painter_.setBrush(brush.color);
        appliedBrush_ = brush.color;
        stateValid_ = true;
    }
}

void Canvas::applyBrush()
{
    applyPen();
    if (SameColour(brush.color, appliedBrush_))
        return;
    painter_.setBrush(brush.color);
    appliedBrush_ = brush.color;
}

bool Canvas::touches(std::int64_t left, std::int64_t top, std::int64_t right,
                     std::int64_t bottom) const
{
    return painter_.isActive() && right > 0 && bottom > 0 && left < width() && top < height();
}

void Canvas::notify(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    if (!changed)
        return;
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, width());
    bottom = std::min<std::int64_t>(bottom, height());
    if (left < right && top < bottom)
        changed(QRect(int(left), int(top), int(right - left), int(bottom - top)));
}

QRect Canvas::deviceRect(std::int64_t left, std::int64_t top, std::int64_t right,
                         std::int64_t bottom) const
{
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, width());
    bottom = std::min<std::int64_t>(bottom, height());
    if (left >= right || top >= bottom)
        return {};
    return QRect(int(left * scale_), int(top * scale_), int((right - left) * scale_),
                 int((bottom - top) * scale_));
}

void Canvas::beginScaled(std::int64_t left, std::int64_t top, std::int64_t right,
                         std::int64_t bottom, bool penCentred)
{
    // The clip first, in device pixels, then the logical coordinates. A 1-pixel pen at
    // scale 1 paints the pixel right of and below its path; its scale-wide stroke through
    // the blocks' centres paints the same blocks.
    painter_.setClipRect(deviceRect(left, top, right, bottom));
    QTransform toDevice = QTransform::fromScale(scale_, scale_);
    if (penCentred)
        toDevice.translate(0.5, 0.5);
    painter_.setTransform(toDevice);
}

void Canvas::endScaled()
{
    painter_.resetTransform();
    painter_.setClipping(false);
}

void Canvas::moveTo(int x, int y) { penPos_ = PixelPoint{x, y}; }

void Canvas::lineTo(int x, int y)
{
    const PixelPoint from = penPos_;
    penPos_ = PixelPoint{x, y};
    const int margin = std::max(pen.width, 1);
    const std::int64_t left = std::int64_t{std::min(from.X, x)} - margin;
    const std::int64_t top = std::int64_t{std::min(from.Y, y)} - margin;
    const std::int64_t right = std::int64_t{std::max(from.X, x)} + margin + 1;
    const std::int64_t bottom = std::int64_t{std::max(from.Y, y)} + margin + 1;
    if (!touches(left, top, right, bottom))
        return;
    if (onePixelPen()) {
        if (scale_ == 1)
            rasterLine(from.X, from.Y, x, y, 0);
        else
            scaledLine(from.X, from.Y, x, y, 0);
    } else {
        applyPen();
        if (scale_ > 1)
            beginScaled(left, top, right, bottom, false);
        painter_.drawLine(QLineF(from.X, from.Y, x, y));
        if (scale_ > 1)
            endScaled();
    }
    notify(left, top, right, bottom);
}

void Canvas::rasterLine(int x0, int y0, int x1, int y1, std::int64_t phase)
{
    if (bits_ == nullptr)
        return;
    std::optional<LineRun> run = VisibleRun(x0, y0, x1, y1, 1, width(), height());
    if (!run)
        return;
    LineRun& r = *run;
    const QRgb colour = pen.color.rgb();
    const bool dotted = pen.style == PenStyle::Dot;
    for (std::int64_t i = r.Lo; i <= r.Hi; ++i) {
        if (!dotted || (phase + i) % kDotPeriod < kDotOn) {
            const std::int64_t major = r.C0Maj + r.SMaj * i;
            const std::int64_t minor = r.C0Min + r.SMin * r.M;
            const std::int64_t x = r.XMajor ? major : minor;
            const std::int64_t y = r.XMajor ? minor : major;
            reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = colour;
        }
        r.advance();
    }
}

void Canvas::scaledLine(int x0, int y0, int x1, int y1, std::int64_t phase)
{
    if (bits_ == nullptr)
        return;
    const std::int64_t k = scale_;
    // As rasterLine at device resolution; each pixel of the line is the first of a run of k
    // along the minor axis (downwards or rightwards), which keeps it inside the blocks of
    // the logical pixels it joins.
    std::optional<LineRun> run = VisibleRun(x0, y0, x1, y1, k, image_.width(), image_.height());
    if (!run)
        return;
    LineRun& r = *run;
    const std::int64_t sizeMin = r.XMajor ? image_.height() : image_.width();
    const QRgb colour = pen.color.rgb();
    const bool dotted = pen.style == PenStyle::Dot;
    // The dot pattern in logical pixels: scale device pixels per pattern pixel.
    const std::int64_t dotStart = phase * k;
    for (std::int64_t i = r.Lo; i <= r.Hi; ++i) {
        if (!dotted || (dotStart + i) % (kDotPeriod * k) < kDotOn * k) {
            const std::int64_t major = r.C0Maj + r.SMaj * i;
            const std::int64_t minor = r.C0Min + r.SMin * r.M;
            const std::int64_t from = std::max<std::int64_t>(minor, 0);
            const std::int64_t to = std::min<std::int64_t>(minor + k, sizeMin);
            for (std::int64_t j = from; j < to; ++j) {
                const std::int64_t x = r.XMajor ? major : j;
                const std::int64_t y = r.XMajor ? j : major;
                reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = colour;
            }
        }
        r.advance();
    }
}

void Canvas::fillRect(const PixelRect& rect)
{
    const std::int64_t left = std::max<std::int64_t>(rect.left, 0);
    const std::int64_t top = std::max<std::int64_t>(rect.top, 0);
    const std::int64_t right = std::min<std::int64_t>(rect.right, width());
    const std::int64_t bottom = std::min<std::int64_t>(rect.bottom, height());
    if (!painter_.isActive() || left >= right || top >= bottom)
        return;
    if (scale_ == 1)
        painter_.fillRect(QRect(int(left), int(top), int(right - left), int(bottom - top)),
                          brush.color);
    else
        painter_.fillRect(deviceRect(left, top, right, bottom), brush.color);
    notify(left, top, right, bottom);
}

bool Canvas::visibleShape(int x1, int y1, int x2, int y2, ShapeBounds& b) const
{
    b.left = std::min(x1, x2);
    b.right = std::max(x1, x2);
    b.top = std::min(y1, y2);
    b.bottom = std::max(y1, y2);
    b.margin = std::max(pen.width, 1);
    return b.right > b.left && b.bottom > b.top &&
           touches(b.left - b.margin, b.top - b.margin, b.right + b.margin, b.bottom + b.margin);
}

void Canvas::ellipse(int x1, int y1, int x2, int y2)
{
    ShapeBounds b;
    if (!visibleShape(x1, y1, x2, y2, b))
        return;
    const std::int64_t left = b.left, top = b.top, right = b.right, bottom = b.bottom;
    applyBrush();
    // The pen's reach beyond the rectangle at scale 1 bounds it at any scale.
    const int reach = b.margin - 1;
    if (scale_ > 1)
        beginScaled(left - reach, top - reach, right + reach, bottom + reach, onePixelPen());
    // With a 1-pixel pen Qt's outline of (x, y, w, h) covers columns x … x+w: one less
    // than the rectangle's width gives columns left … right−1.
    painter_.drawEllipse(QRectF(double(left), double(top), double(right - left - 1),
                                double(bottom - top - 1)));
    if (scale_ > 1)
        endScaled();
    notify(left - b.margin, top - b.margin, right + b.margin, bottom + b.margin);
}

void Canvas::polyline(std::span<const PixelPoint> points)
{
    if (points.size() < 2 || !painter_.isActive())
        return;
    std::int64_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const PixelPoint& p : points) {
        left = std::min<std::int64_t>(left, p.X);
        top = std::min<std::int64_t>(top, p.Y);
        right = std::max<std::int64_t>(right, p.X);
        bottom = std::max<std::int64_t>(bottom, p.Y);
    }
    const int margin = std::max(pen.width, 1);
    left -= margin;
    top -= margin;
    right += margin + 1;
    bottom += margin + 1;
    if (!touches(left, top, right, bottom))
        return;
    if (onePixelPen()) {
        std::int64_t phase = 0;
        for (std::size_t k = 1; k < points.size(); ++k) {
            const PixelPoint& a = points[k - 1];
            const PixelPoint& b = points[k];
            if (scale_ == 1)
                rasterLine(a.X, a.Y, b.X, b.Y, phase);
            else
                scaledLine(a.X, a.Y, b.X, b.Y, phase);
            phase += std::max(std::abs(std::int64_t{b.X} - a.X), std::abs(std::int64_t{b.Y} - a.Y));
        }
    } else {
        applyPen();
        QPolygon polygon(int(points.size()));
        for (std::size_t k = 0; k < points.size(); ++k)
            polygon[int(k)] = QPoint(points[k].X, points[k].Y);
        if (scale_ > 1)
            beginScaled(left, top, right, bottom, false);
        painter_.drawPolyline(polygon);
        if (scale_ > 1)
            endScaled();
    }
    notify(left, top, right, bottom);
}

void Canvas::polygon(std::span<const PixelPoint> points)
{
    if (points.empty() || !painter_.isActive())
        return;
    std::int64_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    QPolygon polygon(int(points.size()));
    for (std::size_t k = 0; k < points.size(); ++k) {
        const PixelPoint& p = points[k];
        polygon[int(k)] = QPoint(p.X, p.Y);
        left = std::min<std::int64_t>(left, p.X);
        top = std::min<std::int64_t>(top, p.Y);
        right = std::max<std::int64_t>(right, p.X);
        bottom = std::max<std::int64_t>(bottom, p.Y);
    }
    const int margin = std::max(pen.width, 1);
    if (!touches(left - margin, top - margin, right + margin + 1, bottom + margin + 1))
        return;
    applyBrush();
    // A 1-pixel outline at scale 1 covers the corners' columns and rows, and no more.
    const int reach = margin - 1;
    if (scale_ > 1)
        beginScaled(left - reach, top - reach, right + 1 + reach, bottom + 1 + reach,
                    onePixelPen());
    painter_.drawPolygon(polygon);
    if (scale_ > 1)
        endScaled();
    notify(left - margin, top - margin, right + margin + 1, bottom + margin + 1);
}

void Canvas::arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ShapeBounds b;
    if (!visibleShape(x1, y1, x2, y2, b))
        return;
    const std::int64_t left = b.left, top = b.top, right = b.right, bottom = b.bottom;
    // The outline runs through pixel centres from left to right−1, as for ellipse.
    const double w = double(right - left - 1);
    const double h = double(bottom - top - 1);
    const double cx = double(left) + w / 2;
    const double cy = double(top) + h / 2;
    const double start = ParameterAngle(x3, y3, cx, cy, w / 2, h / 2);
    const double end = ParameterAngle(x4, y4, cx, cy, w / 2, h / 2);
    double span = std::fmod(end - start, 360.0);
    if (span <= 0)
        span += 360.0;
    applyPen();
    const int reach = b.margin - 1;
    if (scale_ > 1)
        beginScaled(left - reach, top - reach, right + reach, bottom + reach, onePixelPen());
    // Qt measures arcs in sixteenths of a degree, counter-clockwise on the screen.
    painter_.drawArc(QRectF(double(left), double(top), w, h), int(std::lround(start * 16)),
                     int(std::lround(span * 16)));
    if (scale_ > 1)
        endScaled();
    notify(left - b.margin, top - b.margin, right + b.margin, bottom + b.margin);
}

int Canvas::textWidth(const QString& text) const { return metrics_.horizontalAdvance(text); }

int Canvas::textHeight(const QString&) const { return metrics_.height(); }

void Canvas::textOut(int x, int y, const QString& text)
{
    const int w = textWidth(text);
    const int h = metrics_.height();
    const std::int64_t right = std::int64_t{x} + w;
    const std::int64_t bottom = std::int64_t{y} + h;
    penPos_ = PixelPoint{Saturate(right), y};
    if (!touches(x, y, right, bottom))
        return;
    if (scale_ == 1) {
        painter_.fillRect(QRect(x, y, w, h), brush.color);
        painter_.setPen(fontColor);
        painter_.drawText(x, y + metrics_.ascent(), text);
    } else {
        // The glyphs at the device size, laid out and clipped by the logical metrics.
        painter_.fillRect(deviceRect(x, y, right, bottom), brush.color);
        painter_.setPen(fontColor);
        beginScaled(x, y, right, bottom, false);
        painter_.drawText(x, y + metrics_.ascent(), text);
        endScaled();
    }
    stateValid_ = false;
    notify(x, y, right, bottom);
}

void Canvas::copyRect(const PixelRect& dest, const Canvas& source, const PixelRect& sourceRect)
{
    if (dest.width() <= 0 || dest.height() <= 0 || sourceRect.width() <= 0 ||
        sourceRect.height() <= 0 || source.image_.isNull() ||
        !touches(dest.left, dest.top, dest.right, dest.bottom))
        return;

    if (dest.width() != sourceRect.width() || dest.height() != sourceRect.height() ||
        source.scale_ != scale_) {
        const double k = scale_;
        const double ks = source.scale_;
        const QRectF target(dest.left * k, dest.top * k, double(dest.width()) * k,
                            double(dest.height()) * k);
        const QRectF from(sourceRect.left * ks, sourceRect.top * ks,
                          double(sourceRect.width()) * ks, double(sourceRect.height()) * ks);
        if (&source == this)
            painter_.drawImage(target, image_.copy(), from);
        else
            painter_.drawImage(target, source.image_, from);
        notify(dest.left, dest.top, dest.right, dest.bottom);
        return;
    }

    // Same size: clip the source to its image and the destination to ours, moving the
    // other rectangle along so that pixels keep their correspondence.
    std::int64_t sl = sourceRect.left, st = sourceRect.top;
    std::int64_t sr = sourceRect.right, sb = sourceRect.bottom;
    std::int64_t dl = dest.left, dt = dest.top;
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
    sr = std::min<std::int64_t>(sr, source.width());
    sb = std::min<std::int64_t>(sb, source.height());
    sr = std::min<std::int64_t>(sr, sl + (width() - dl));
    sb = std::min<std::int64_t>(sb, st + (height() - dt));
    if (sl >= sr || st >= sb)
        return;
    const std::int64_t k = scale_;
    const QRect from{int(sl * k), int(st * k), int((sr - sl) * k), int((sb - st) * k)};
    const QPoint target{int(dl * k), int(dt * k)};
    if (&source == this)
        painter_.drawImage(target, image_.copy(from));
    else
        painter_.drawImage(target, source.image_, from);
    notify(dl, dt, dl + (sr - sl), dt + (sb - st));
}

void Canvas::resize(int newWidth, int newHeight, const QColor& background)
{
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    if (newWidth == width() && newHeight == height())
        return;
    QImage next(DeviceLength(newWidth, scale_), DeviceLength(newHeight, scale_), kFormat);
    if (!next.isNull())
        next.fill(background);
    end();
    if (!next.isNull() && !image_.isNull()) {
        QPainter copier(&next);
        copier.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
    width_ = newWidth;
    height_ = newHeight;
    begin();
}

void Canvas::setScale(int scale, const QColor& background)
{
    scale = std::max(scale, 1);
    if (scale == scale_)
        return;
    QImage next(DeviceLength(width_, scale), DeviceLength(height_, scale), kFormat);
    end();
    if (!next.isNull()) {
        next.fill(background);
        if (!image_.isNull()) {
            // Whole blocks to whole blocks, without smoothing.
            QPainter copier(&next);
            copier.drawImage(next.rect(), image_);
        }
    }
    image_ = std::move(next);
    scale_ = scale;
    begin();
}

QImage Canvas::snapshot() const
{
    QImage copy = image_.copy();
    copy.setDevicePixelRatio(scale_);
    return copy;
}

Bitmap::Bitmap(int width, int height, int scale)
    : canvas_(width, height, QColor(255, 255, 255), scale)
{
}

}  // namespace orrimar
