// World-to-pixel frames (pixels per world unit, pixel offsets) kept per paint box, and small
// operations on world points. Knows no toolkit: a paint box takes part as a FrameTarget.
#pragma once

#include "plot/pixel_point.h"
#include "plot/world_point.h"

#include <source_location>
#include <stdexcept>
#include <string>
#include <vector>

namespace orrimar {

// Anything a frame can be set up for: it tells its client size in pixels and carries an
// integer identity that is unique for the whole program run (never reused, never 0).
// Its frame lives in the registry of the thread that set it up, and its destructor drops
// the frame from the registry of the thread it runs on. So destroy a target on the thread
// that set its frames, before that thread ends (the window's boxes on the window's thread,
// a headless flight's on its worker): destroyed elsewhere, it would leave its entry behind,
// unreachable, in the other thread's registry.
class FrameTarget {
public:
    FrameTarget();
    FrameTarget(const FrameTarget&) = delete;
    FrameTarget& operator=(const FrameTarget&) = delete;
    virtual ~FrameTarget();

    virtual int ClientWidth() const = 0;   // pixels
    virtual int ClientHeight() const = 0;  // pixels
    int Handle() const { return handle_; }

private:
    int handle_;
};

// One frame: column = XScale·x + XOffset, row = YScale·y + YOffset.
struct PlotFrame {
    double XScale = 0.0;   // pixels per world unit along x, positive
    double YScale = 0.0;   // pixels per world unit along y, negative (rows grow downwards)
    double XOffset = 0.0;  // pixel column of world x = 0
    double YOffset = 0.0;  // pixel row of world y = 0
    // The paint box the frame belongs to; not owned, and never dereferenced here. Null
    // before any set-up, and in the current frame once that box is destroyed (the frame
    // stays current: mapping goes on as before).
    FrameTarget* PaintBox = nullptr;
    int Handle = 0;  // registry key: PaintBox's handle, 0 before any set-up
};

// A failed precondition. what() is the message followed by " (file, line N)".
class AssertionFailure : public std::logic_error {
public:
    explicit AssertionFailure(const std::string& message,
                              std::source_location where = std::source_location::current());
};

// The frame that all mapping uses, and the registry of stored frames, one entry per live
// paint box that has had a frame set up. Both are per thread: each thread that draws (the
// window's, or a headless flight's) has its own.
const PlotFrame& CurrentFrame();
const std::vector<PlotFrame>& FrameList();

// Empties the registry and zeroes the current frame of the calling thread; for tests and
// start-up only.
void ResetFrames();

// Equal scales on both axes, the world rectangle centred in the client area; makes the
// frame current and stores it for Box. Throws AssertionFailure unless XLeft < XRight and
// YBottom < YTop, changing nothing.
void SetFrame(FrameTarget& Box, double XLeft, double YTop, double XRight, double YBottom);

// Independent scales: the world rectangle fills the client area; otherwise as SetFrame.
void SetFrameFill(FrameTarget& Box, double XLeft, double YTop, double XRight, double YBottom);

// Makes the frame stored for Box current; throws std::runtime_error
// "PaintBox <handle> not found" when there is none, leaving the current frame as it was.
void SelectFrame(const FrameTarget& Box);

// Nearest integer, ties to even, clamped to ±2147483647; NaN gives 2147483647.
int ClampRound(double V);

PixelPoint WorldToPixel(WorldPoint P);
PixelPoint XYToPixel(double X, double Y);
WorldPoint MakePoint(double X, double Y);

// The x scale of the current frame, pixels per world unit.
double PixelsPerUnit();

// P rotated about the origin by Angle (radians), counter-clockwise for positive angles.
WorldPoint RotatePoint(WorldPoint P, double Angle);
WorldPoint AddPoints(WorldPoint A, WorldPoint B);
WorldPoint SubPoints(WorldPoint A, WorldPoint B);

// Euclidean distance, without intermediate overflow.
double PointDistance(WorldPoint A, WorldPoint B);

}  // namespace orrimar
