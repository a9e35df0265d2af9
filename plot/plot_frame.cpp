#include "plot/plot_frame.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>

namespace orrimar {

namespace {

// Identities of frame targets; shared by all threads so that no two targets ever meet.
std::atomic<int> nextHandle{1};

thread_local PlotFrame currentFrame;
thread_local std::vector<PlotFrame> frameList;

std::string BaseName(const char* path)
{
    std::string name(path);
    const auto slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

void Assert(bool condition, const char* message,
            std::source_location where = std::source_location::current())
{
    if (!condition)
        throw AssertionFailure(message, where);
}

PlotFrame* FindFrame(int handle)
{
    for (PlotFrame& entry : frameList)
        if (entry.Handle == handle)
            return &entry;
    return nullptr;
}

// Makes frame current and stores it under its paint box (one entry per box), after the
// rectangle checks have passed.
void Commit(const PlotFrame& frame)
{
    currentFrame = frame;
    PlotFrame* entry = FindFrame(frame.Handle);
    if (entry == nullptr)
        frameList.push_back(frame);
    else
        *entry = frame;
}

}  // namespace

FrameTarget::FrameTarget()
    : handle_(nextHandle.fetch_add(1, std::memory_order_relaxed))
{
    if (handle_ <= 0 || handle_ == INT_MAX)
        throw std::overflow_error("FrameTarget: no identities left");
}

FrameTarget::~FrameTarget()
{
    std::erase_if(frameList, [this](const PlotFrame& entry) { return entry.Handle == handle_; });
    if (currentFrame.Handle == handle_)
        currentFrame.PaintBox = nullptr;
}

AssertionFailure::AssertionFailure(const std::string& message, std::source_location where)
    : std::logic_error(message + " (" + BaseName(where.file_name()) + ", line " +
                       std::to_string(where.line()) + ")")
{
}

const PlotFrame& CurrentFrame() { return currentFrame; }

const std::vector<PlotFrame>& FrameList() { return frameList; }

void ResetFrames()
{
    currentFrame = PlotFrame{};
    frameList.clear();
    frameList.shrink_to_fit();
}

// Intermediate values are held in long double, the widest real type; fields are stored as
// double.
void SetFrame(FrameTarget& Box, double XLeft, double YTop, double XRight, double YBottom)
{
    Assert(XLeft < XRight, "SetFrame: XLeft >= XRight");
    Assert(YBottom < YTop, "SetFrame: YBottom >= YTop");

    const long double w = Box.ClientWidth();
    const long double h = Box.ClientHeight();
    const long double sx = w / (static_cast<long double>(XRight) - XLeft);
    const long double sy = h / (static_cast<long double>(YTop) - YBottom);
    const double s = static_cast<double>(sy > sx ? sx : sy);

    PlotFrame frame;
    frame.PaintBox = &Box;
    frame.Handle = Box.Handle();
    frame.XScale = s;
    frame.YScale = -s;
    frame.XOffset = static_cast<double>(-static_cast<long double>(s) * XLeft);
    frame.YOffset = static_cast<double>(static_cast<long double>(s) * YTop);

    // Pixels left over at the right and at the bottom; the axis that did not set the scale
    // gets its world range centred.
    const double dx = static_cast<double>(
        w - (static_cast<long double>(XRight) * frame.XScale + frame.XOffset));
    const double dy = static_cast<double>(
        h - (static_cast<long double>(YBottom) * frame.YScale + frame.YOffset));
    if (dx > dy)
        frame.XOffset = static_cast<double>(frame.XOffset + static_cast<long double>(dx) / 2);
    if (dy > dx)
        frame.YOffset = static_cast<double>(frame.YOffset + static_cast<long double>(dy) / 2);

    Commit(frame);
}

void SetFrameFill(FrameTarget& Box, double XLeft, double YTop, double XRight, double YBottom)
{
    Assert(XLeft < XRight, "SetFrame: XLeft >= XRight");
    Assert(YBottom < YTop, "SetFrame: YBottom >= YTop");

    const long double w = Box.ClientWidth();
    const long double h = Box.ClientHeight();

    PlotFrame frame;
    frame.PaintBox = &Box;
    frame.Handle = Box.Handle();
    frame.XScale = static_cast<double>(w / (static_cast<long double>(XRight) - XLeft));
    frame.YScale = static_cast<double>(h / (static_cast<long double>(YBottom) - YTop));
    frame.XOffset = static_cast<double>(-static_cast<long double>(frame.XScale) * XLeft);
    frame.YOffset = static_cast<double>(-static_cast<long double>(frame.YScale) * YTop);

    Commit(frame);
}

void SelectFrame(const FrameTarget& Box)
{
    const PlotFrame* entry = FindFrame(Box.Handle());
    if (entry == nullptr) {
        char message[64];
        std::snprintf(message, sizeof message, "PaintBox %d not found", Box.Handle());
        throw std::runtime_error(message);
    }
    currentFrame = *entry;
}

int ClampRound(double V)
{
    if (V > 2147483647.0 || std::isnan(V))
        return 2147483647;
    if (V < -2147483647.0)
        return -2147483647;
    // Ties to even as RoundHalfEven in formats/, which plot may not depend on: both are
    // std::nearbyint in the default rounding mode.
    return static_cast<int>(std::nearbyint(V));
}

PixelPoint WorldToPixel(WorldPoint P)
{
    const PlotFrame& f = currentFrame;
    const double column = static_cast<double>(static_cast<long double>(f.XScale) * P.X + f.XOffset);
    const double row = static_cast<double>(static_cast<long double>(f.YScale) * P.Y + f.YOffset);
    return PixelPoint{ClampRound(column), ClampRound(row)};
}

PixelPoint XYToPixel(double X, double Y) { return WorldToPixel(MakePoint(X, Y)); }

WorldPoint MakePoint(double X, double Y) { return WorldPoint{X, Y}; }

double PixelsPerUnit() { return currentFrame.XScale; }

WorldPoint RotatePoint(WorldPoint P, double Angle)
{
    const long double c = std::cos(static_cast<long double>(Angle));
    const long double s = std::sin(static_cast<long double>(Angle));
    return WorldPoint{static_cast<double>(c * P.X - s * P.Y),
                      static_cast<double>(s * P.X + c * P.Y)};
}

WorldPoint AddPoints(WorldPoint A, WorldPoint B) { return WorldPoint{A.X + B.X, A.Y + B.Y}; }

WorldPoint SubPoints(WorldPoint A, WorldPoint B) { return WorldPoint{A.X - B.X, A.Y - B.Y}; }

double PointDistance(WorldPoint A, WorldPoint B)
{
    const long double dx = std::fabs(static_cast<long double>(A.X) - B.X);
    const long double dy = std::fabs(static_cast<long double>(A.Y) - B.Y);
    if (std::isnan(dx) || std::isnan(dy))
        return std::nan("");
    const long double larger = dx > dy ? dx : dy;
    const long double smaller = dx > dy ? dy : dx;
    if (smaller == 0.0L || std::isinf(larger))
        return static_cast<double>(larger);
    const long double ratio = smaller / larger;
    return static_cast<double>(larger * std::sqrt(1.0L + ratio * ratio));
}

}  // namespace orrimar
