// Writes the program's embedded pictures and sounds: the Moon-phase sheet of the
// About box, the two wave sounds, the 16 x 16 button pictures and the application icon
// (SVG, and PNGs from 16 to 256 pixels).
// Usage: make_resources RESOURCES_DIR (the folder that holds moon/, sounds/, icons/).
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace orrimar {
namespace {

constexpr double Pi = std::numbers::pi;

// ---------------------------------------------------------------- Moon phases

constexpr int FrameSize = 76;      // pixels, width and height of one frame
constexpr int FramesPerRow = 4;
constexpr int SheetRows = 8;       // 32 slots, 25 used
constexpr int FrameCount = 25;
constexpr double MoonRadius = 35;  // pixels
constexpr double MoonCentre = FrameSize / 2.0;
constexpr int SubSamples = 4;      // per pixel side, for the edges of the lit part

// A dark patch of the near side, in units of the Moon's radius (u right, v down).
struct Mare {
    double u, v, ru, rv, depth;
};

// The large maria roughly where an observer in the north sees them, north up.
constexpr Mare Maria[] = {
    {-0.30, -0.42, 0.27, 0.22, 0.30},  // Imbrium
    {0.18, -0.40, 0.16, 0.15, 0.28},   // Serenitatis
    {0.36, -0.08, 0.20, 0.17, 0.27},   // Tranquillitatis
    {0.72, -0.30, 0.11, 0.10, 0.32},   // Crisium
    {0.62, 0.16, 0.12, 0.16, 0.22},    // Fecunditatis
    {0.42, 0.34, 0.09, 0.08, 0.22},    // Nectaris
    {-0.62, -0.02, 0.24, 0.42, 0.24},  // Procellarum
    {-0.22, 0.34, 0.17, 0.13, 0.22},   // Nubium
    {-0.45, 0.45, 0.10, 0.08, 0.18},   // Humorum
    {0.02, -0.80, 0.34, 0.06, 0.16},   // Frigoris
};

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Surface brightness (0..1) of the full Moon at a point of the disc, units of the radius.
double Albedo(double u, double v)
{
    const double rho2 = u * u + v * v;
    double b = 0.92;
    for (const Mare& m : Maria) {
        const double du = (u - m.u) / m.ru;
        const double dv = (v - m.v) / m.rv;
        const double d = std::sqrt(du * du + dv * dv);
        b -= m.depth * (1 - SmoothStep(0.45, 1.25, d));
    }
    // Tycho, a bright young crater in the south.
    const double tu = u + 0.12, tv = v - 0.72;
    b += 0.08 * (1 - SmoothStep(0.03, 0.09, std::sqrt(tu * tu + tv * tv)));
    // Slight darkening towards the limb.
    b *= 0.86 + 0.14 * std::sqrt(std::max(0.0, 1 - rho2));
    return std::clamp(b, 0.0, 1.0);
}

// Angle between Sun and observer seen from the Moon's centre for waxing frame k (0..11),
// in radians: 30 deg for the thin crescent, 90 deg at first quarter, 180 deg at full Moon.
double WaxingAngle(int k)
{
    if (k <= 5)
        return (30.0 + 12.0 * k) * Pi / 180.0;
    return (90.0 + 15.0 * (k - 5)) * Pi / 180.0;
}

// True when the point (x, y), pixels from the centre, lies in the lit part of frame
// `frame`. The waxing part is x >= cos(angle) * halfWidth, so it grows with the angle;
// the waning frames mirror the waxing ones, so they shrink from the right.
bool Lit(int frame, double x, double y)
{
    const double r2 = MoonRadius * MoonRadius;
    if (x * x + y * y > r2 || frame >= 23)
        return false;
    const double halfWidth = std::sqrt(r2 - y * y);
    if (frame <= 11)
        return x >= std::cos(WaxingAngle(frame)) * halfWidth;
    return -x >= std::cos(WaxingAngle(22 - frame)) * halfWidth;
}

// One frame: opaque where any sub-sample is lit (the one-bit mask), its grey scaled by
// the lit share of the pixel so that the edges look smooth on black. A pixel's lit
// sub-samples only grow over the waxing frames, so every waxing frame's opaque pixels
// contain those of the frame before.
QImage MoonFrame(int frame)
{
    QImage image(FrameSize, FrameSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int row = 0; row < FrameSize; ++row) {
        for (int col = 0; col < FrameSize; ++col) {
            int lit = 0;
            for (int sy = 0; sy < SubSamples; ++sy) {
                for (int sx = 0; sx < SubSamples; ++sx) {
                    const double x = col + (sx + 0.5) / SubSamples - MoonCentre;
                    const double y = row + (sy + 0.5) / SubSamples - MoonCentre;
                    lit += Lit(frame, x, y) ? 1 : 0;
                }
            }
            if (lit == 0)
                continue;
            const double coverage = double(lit) / (SubSamples * SubSamples);
            const double u = (col + 0.5 - MoonCentre) / MoonRadius;
            const double v = (row + 0.5 - MoonCentre) / MoonRadius;
            // Coarse steps of grey keep the file small.
            const int grey = std::clamp(int(std::lround(255 * Albedo(u, v) * coverage / 4)) * 4,
                                        24, 252);
            image.setPixel(col, row, qRgba(grey, grey, grey, 255));
        }
    }
    return image;
}

bool WriteMoonSheet(const QString& path)
{
    QImage sheet(FrameSize * FramesPerRow, FrameSize * SheetRows, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int frame = 0; frame < FrameCount; ++frame)
        painter.drawImage((frame % FramesPerRow) * FrameSize, (frame / FramesPerRow) * FrameSize,
                          MoonFrame(frame));
    painter.end();
    return sheet.save(path, "PNG", 0);
}

// ---------------------------------------------------------------------- Sounds

constexpr int SampleRate = 22050;  // Hz

// A small deterministic noise source, so that every run writes the same bytes.
class Noise {
public:
    double Next()  // uniform in [-1, 1)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return double(state_ >> 11) / double(1ULL << 52) - 1.0;
    }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

void PutLe(std::vector<char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// Writes 16-bit PCM; `samples` holds the channels interleaved, each in [-1, 1].
bool WriteWave(const QString& path, const std::vector<double>& samples, int channels)
{
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::vector<char> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLe(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, std::uint32_t(channels), 2);
    PutLe(out, SampleRate, 4);
    PutLe(out, std::uint32_t(SampleRate * channels * 2), 4);
    PutLe(out, std::uint32_t(channels * 2), 2);
    PutLe(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, dataBytes, 4);
    for (double s : samples) {
        const auto value = std::int16_t(std::lround(std::clamp(s, -1.0, 1.0) * 32767));
        PutLe(out, std::uint16_t(value), 2);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(out.data(), qint64(out.size())) == qint64(out.size());
}

void Normalise(std::vector<double>& samples, double peak)
{
    double maxAbs = 0;
    for (double s : samples)
        maxAbs = std::max(maxAbs, std::abs(s));
    if (maxAbs > 0)
        for (double& s : samples)
            s *= peak / maxAbs;
}

// A collision thud: a falling low tone and rumbling noise, both dying away; mono, 1.34 s.
std::vector<double> CollisionThud()
{
    constexpr int count = 29568;
    std::vector<double> samples(count);
    Noise noise;
    double phase = 0, rumble = 0, rumble2 = 0;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / SampleRate;  // s
        const double frequency = 38 + 42 * std::exp(-t / 0.12);  // Hz, 80 falling to 38
        phase += 2 * Pi * frequency / SampleRate;
        const double n = noise.Next();
        // Two one-pole low passes near 150 Hz turn white noise into a rumble.
        constexpr double a = 0.042;
        rumble += a * (n - rumble);
        rumble2 += a * (rumble - rumble2);
        const double attack = 1 - std::exp(-t / 0.003);
        const double tone = 0.8 * std::sin(phase) * std::exp(-t / 0.30);
        const double body = 6.0 * rumble2 * std::exp(-t / 0.40);
        const double crack = 0.35 * n * std::exp(-t / 0.015);
        const double tail = 1 - SmoothStep(1.24, 1.34, t);
        samples[i] = attack * (tone + body + crack) * tail;
    }
    Normalise(samples, 0.9);
    return samples;
}

// An escape: a rising sweep that crosses from left to right; stereo, 0.54 s.
std::vector<double> EscapeSweep()
{
    constexpr int frames = 11881;
    const double duration = double(frames) / SampleRate;  // s
    std::vector<double> samples(2 * frames);
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / SampleRate;
        const double frequency = 220 * std::pow(8.0, t / duration);  // Hz, three octaves up
        phase += 2 * Pi * frequency / SampleRate;
        const double envelope = SmoothStep(0, 0.01, t) * (1 - SmoothStep(duration - 0.12, duration, t));
        const double s = envelope * (std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase));
        const double pan = (0.2 + 0.6 * t / duration) * Pi / 2;
        samples[2 * i] = s * std::cos(pan);
        samples[2 * i + 1] = s * std::sin(pan);
    }
    Normalise(samples, 0.7);
    return samples;
}

// ----------------------------------------------------------------------- Icons

constexpr int IconSize = 16;  // pixels

QImage BlankIcon()
{
    QImage image(IconSize, IconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QPen Pen(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QImage Calculator()
{
    QImage image = BlankIcon();
    QPainter p(&image);
    p.fillRect(2, 0, 12, 16, QColor(40, 40, 48));
    p.fillRect(3, 1, 10, 14, QColor(96, 104, 120));
    p.fillRect(4, 2, 8, 3, QColor(168, 216, 160));
    p.fillRect(5, 3, 5, 1, QColor(40, 80, 40));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.fillRect(4 + 3 * col, 7 + 3 * row, 2, 2,
                       col == 2 && row == 2 ? QColor(224, 64, 48) : QColor(232, 232, 232));
    return image;
}

QImage RedCross()
{
    QImage image = BlankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Pen(QColor(128, 0, 0), 3.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    p.setPen(Pen(QColor(232, 24, 24), 2.2));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return image;
}

QImage MagnifyingGlass()
{
    QImage image = BlankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Pen(QColor(96, 56, 24), 3.0));
    p.drawLine(QPointF(10.5, 10.5), QPointF(14.5, 14.5));
    p.setBrush(QColor(224, 240, 255));
    p.setPen(Pen(QColor(48, 48, 56), 1.5));
    p.drawEllipse(QPointF(6.5, 6.5), 5.0, 5.0);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(3, 6, 8, 1, QColor(224, 0, 0));
    p.fillRect(6, 3, 1, 8, QColor(224, 0, 0));
    return image;
}

QImage HandOverCard()
{
    QImage image = BlankIcon();
    QPainter p(&image);
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(0, 1, 11, 8);
    p.fillRect(2, 3, 7, 1, QColor(0, 0, 160));
    p.fillRect(2, 5, 5, 1, QColor(128, 128, 128));
    p.fillRect(2, 7, 6, 1, QColor(128, 128, 128));
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(120, 64, 32);
    const QColor skin(248, 200, 152);
    // Four fingers pointing up, then the thumb, then the palm over their roots.
    for (const double x : {7.5, 9.5, 11.5, 13.5}) {
        const double top = x == 9.5 || x == 11.5 ? 4.0 : 5.5;
        p.setPen(Pen(outline, 2.4));
        p.drawLine(QPointF(x, top), QPointF(x, 11));
        p.setPen(Pen(skin, 1.0));
        p.drawLine(QPointF(x, top), QPointF(x, 11));
    }
    p.setPen(Pen(outline, 2.4));
    p.drawLine(QPointF(4.5, 9.0), QPointF(7.5, 12.5));
    p.setPen(Pen(skin, 1.0));
    p.drawLine(QPointF(4.5, 9.0), QPointF(7.5, 12.5));
    p.setPen(Pen(outline, 1.0));
    p.setBrush(skin);
    QPainterPath palm;
    palm.addRoundedRect(QRectF(6.5, 9.5, 8.0, 6.0), 2.0, 2.0);
    p.drawPath(palm);
    return image;
}

QImage CyanArrow()
{
    QImage image = BlankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Pen(QColor(0, 112, 128), 1.0));
    p.setBrush(QColor(0, 255, 255));
    const QPolygonF arrow({QPointF(1.5, 6.0), QPointF(8.5, 6.0), QPointF(8.5, 2.5),
                           QPointF(14.5, 8.0), QPointF(8.5, 13.5), QPointF(8.5, 10.0),
                           QPointF(1.5, 10.0)});
    p.drawPolygon(arrow);
    return image;
}

// An open door: the dark doorway with the door leaf swung out towards the viewer.
QImage OpenDoor()
{
    QImage image = BlankIcon();
    QPainter p(&image);
    p.fillRect(4, 0, 11, 16, QColor(64, 64, 64));
    p.fillRect(5, 1, 9, 15, QColor(16, 16, 16));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Pen(QColor(88, 48, 16), 1.0));
    p.setBrush(QColor(184, 112, 48));
    const QPolygonF leaf({QPointF(1.5, 2.5), QPointF(5.5, 1.0), QPointF(5.5, 15.5),
                          QPointF(1.5, 14.0)});
    p.drawPolygon(leaf);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(248, 216, 64));
    p.drawEllipse(QPointF(4.0, 8.5), 0.9, 0.9);
    return image;
}

// The look of a disabled button picture: the dark parts of the picture in grey with a
// white edge below and to the right; the light parts vanish.
QImage Greyed(const QImage& source)
{
    QImage shape = BlankIcon();
    for (int y = 0; y < IconSize; ++y) {
        for (int x = 0; x < IconSize; ++x) {
            const QRgb c = source.pixel(x, y);
            if (qGray(c) < 200)
                shape.setPixel(x, y, qRgba(0, 0, 0, qAlpha(c)));
        }
    }
    auto tinted = [&shape](const QColor& colour) {
        QImage out = shape;
        QPainter p(&out);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(out.rect(), colour);
        return out;
    };
    QImage result = BlankIcon();
    QPainter p(&result);
    p.drawImage(1, 1, tinted(QColor(255, 255, 255)));
    p.drawImage(0, 0, tinted(QColor(128, 128, 128)));
    return result;
}

bool WriteIcon(const QString& path, const QImage& image)
{
    return image.save(path, "PNG", 0);
}

// ---------------------------------------------------------------- Application icon

// The Earth, the Moon and a trajectory from one to the other, on a 256-unit square;
// shapes large and contrasts strong enough to read at 16 pixels. The SVG and the PNGs
// are drawn from these same numbers.
struct IconGeometry {
    double backgroundRadius = 124;
    double earthX = 82, earthY = 176, earthRadius = 50;
    double moonX = 186, moonY = 76, moonRadius = 30;
    double trajectoryWidth = 16;
};
constexpr IconGeometry Icon;
const char* const IconBackground = "#0b1d3a";
const char* const IconEarth = "#2f80ed";
const char* const IconLand = "#3fae5a";
const char* const IconMoon = "#dcdcd2";
const char* const IconTrajectory = "#ffb02e";

// Leaves the Earth upwards, swings round the far side of the Moon and comes back towards
// the viewer: the path as SVG commands, absolute coordinates.
const char* const IconTrajectoryPath = "M 112 136 C 120 60 190 14 230 58 C 258 92 226 136 180 128";

QPainterPath TrajectoryPath()
{
    QPainterPath path(QPointF(112, 136));
    path.cubicTo(QPointF(120, 60), QPointF(190, 14), QPointF(230, 58));
    path.cubicTo(QPointF(258, 92), QPointF(226, 136), QPointF(180, 128));
    return path;
}

// A continent on the Earth, relative to its centre (units of the 256 square).
QPainterPath LandPath()
{
    QPainterPath path(QPointF(-30, -22));
    path.cubicTo(QPointF(-10, -38), QPointF(12, -30), QPointF(6, -10));
    path.cubicTo(QPointF(0, 6), QPointF(20, 14), QPointF(10, 32));
    path.cubicTo(QPointF(-8, 40), QPointF(-34, 16), QPointF(-30, -22));
    return path;
}
const char* const IconLandPath = "M -30 -22 C -10 -38 12 -30 6 -10 C 0 6 20 14 10 32 C -8 40 -34 16 -30 -22 Z";

QString IconSvg()
{
    const IconGeometry& g = Icon;
    return QString(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
               "viewBox=\"0 0 256 256\">\n"
               "  <circle cx=\"128\" cy=\"128\" r=\"%1\" fill=\"%2\"/>\n"
               "  <path d=\"%3\" fill=\"none\" stroke=\"%4\" stroke-width=\"%5\" "
               "stroke-linecap=\"round\"/>\n"
               "  <circle cx=\"%6\" cy=\"%7\" r=\"%8\" fill=\"%9\"/>\n"
               "  <path transform=\"translate(%6 %7)\" d=\"%10\" fill=\"%11\"/>\n"
               "  <circle cx=\"%12\" cy=\"%13\" r=\"%14\" fill=\"%15\"/>\n"
               "</svg>\n")
        .arg(g.backgroundRadius)
        .arg(IconBackground)
        .arg(IconTrajectoryPath)
        .arg(IconTrajectory)
        .arg(g.trajectoryWidth)
        .arg(g.earthX)
        .arg(g.earthY)
        .arg(g.earthRadius)
        .arg(IconEarth)
        .arg(IconLandPath)
        .arg(IconLand)
        .arg(g.moonX)
        .arg(g.moonY)
        .arg(g.moonRadius)
        .arg(IconMoon);
}

QImage AppIcon(int size)
{
    const IconGeometry& g = Icon;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(IconBackground));
    p.drawEllipse(QPointF(128, 128), g.backgroundRadius, g.backgroundRadius);
    QPen trajectory{QColor(IconTrajectory)};
    trajectory.setWidthF(g.trajectoryWidth);
    trajectory.setCapStyle(Qt::RoundCap);
    p.setPen(trajectory);
    p.setBrush(Qt::NoBrush);
    p.drawPath(TrajectoryPath());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(IconEarth));
    p.drawEllipse(QPointF(g.earthX, g.earthY), g.earthRadius, g.earthRadius);
    p.setBrush(QColor(IconLand));
    p.drawPath(LandPath().translated(g.earthX, g.earthY));
    p.setBrush(QColor(IconMoon));
    p.drawEllipse(QPointF(g.moonX, g.moonY), g.moonRadius, g.moonRadius);
    p.end();
    return image;
}

bool WriteText(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size();
}

}  // namespace
}  // namespace orrimar

int main(int argc, char* argv[])
{
    using namespace orrimar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_resources RESOURCES_DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"moon", "sounds", "icons", "app-icon"}) {
        if (!root.mkpath(sub)) {
            std::fprintf(stderr, "make_resources: cannot create %s/%s\n", argv[1], sub);
            return 1;
        }
    }
    const QImage cross = RedCross();
    const QImage glass = MagnifyingGlass();
    struct Output {
        const char* name;
        bool written;
    };
    const Output outputs[] = {
        {"moon/phases.png", WriteMoonSheet(root.filePath("moon/phases.png"))},
        {"sounds/coll.wav", WriteWave(root.filePath("sounds/coll.wav"), CollisionThud(), 1)},
        {"sounds/esc.wav", WriteWave(root.filePath("sounds/esc.wav"), EscapeSweep(), 2)},
        {"icons/start.png", WriteIcon(root.filePath("icons/start.png"), Calculator())},
        {"icons/cancel.png", WriteIcon(root.filePath("icons/cancel.png"), cross)},
        {"icons/cancel_disabled.png", WriteIcon(root.filePath("icons/cancel_disabled.png"), Greyed(cross))},
        {"icons/config.png", WriteIcon(root.filePath("icons/config.png"), glass)},
        {"icons/config_disabled.png", WriteIcon(root.filePath("icons/config_disabled.png"), Greyed(glass))},
        {"icons/about.png", WriteIcon(root.filePath("icons/about.png"), HandOverCard())},
        {"icons/arrow.png", WriteIcon(root.filePath("icons/arrow.png"), CyanArrow())},
        {"icons/exit.png", WriteIcon(root.filePath("icons/exit.png"), OpenDoor())},
    };
    int failures = 0;
    std::vector<Output> appIcons;
    static const std::vector<QByteArray> iconNames = [] {
        std::vector<QByteArray> names{"app-icon/orrimar.svg"};
        for (int size : {16, 32, 48, 64, 128, 256})
            names.push_back("app-icon/orrimar-" + QByteArray::number(size) + ".png");
        return names;
    }();
    appIcons.push_back({iconNames[0].constData(),
                        WriteText(root.filePath(iconNames[0]), IconSvg())});
    int k = 1;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QByteArray& name = iconNames[k++];
        appIcons.push_back({name.constData(), AppIcon(size).save(root.filePath(name), "PNG", 0)});
    }
    for (const Output& output : appIcons) {
        if (!output.written) {
            std::fprintf(stderr, "make_resources: cannot write %s/%s\n", argv[1], output.name);
            ++failures;
        }
    }
    for (const Output& output : outputs) {
        if (!output.written) {
            std::fprintf(stderr, "make_resources: cannot write %s/%s\n", argv[1], output.name);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
