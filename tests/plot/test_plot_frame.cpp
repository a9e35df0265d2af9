// Frames per paint box, the world-to-pixel mapping and the point helpers.
#include "plot/plot_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace orrimar {
namespace {

class FakeBox : public FrameTarget {
public:
    FakeBox(int width, int height) : width_(width), height_(height) {}
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }

private:
    int width_;
    int height_;
};

class FramesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFrames(); }
    void TearDown() override { ResetFrames(); }
};

TEST_F(FramesTest, SetFrameCentresAlongTheAxisWithSpareRoom)
{
    EXPECT_EQ(XYToPixel(123.0, -4e9), (PixelPoint{0, 0}));  // all-zero frame before set-up

    FakeBox wide(400, 300);
    SetFrame(wide, -1, 1, 1, -1);
    const PlotFrame& f = CurrentFrame();
    EXPECT_EQ(f.XScale, 150.0);
    EXPECT_EQ(f.YScale, -150.0);
    EXPECT_EQ(f.XOffset, 200.0);
    EXPECT_EQ(f.YOffset, 150.0);
    EXPECT_EQ(f.PaintBox, &wide);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{200, 150}));

    FakeBox full(528, 628);
    SetFrame(full, -0.1, 1.05, 1.05, -0.15);
    EXPECT_NEAR(PixelsPerUnit(), 528 / 1.15, 1e-9);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{46, 521}));
}

TEST_F(FramesTest, SquareInsetIsNotShiftedAndRoundsHalvesToEven)
{
    FakeBox inset(180, 180);
    const double gw = 0.06636982310093653;
    const double re = 0.016592455775234133;
    SetFrame(inset, -gw, gw, gw, -gw);
    EXPECT_EQ(CurrentFrame().XOffset, 90.0);
    EXPECT_EQ(CurrentFrame().YOffset, 90.0);
    EXPECT_EQ(XYToPixel(-re, re), (PixelPoint{68, 68}));  // 67.5
    EXPECT_EQ(XYToPixel(re, -re), (PixelPoint{112, 112}));  // 112.5
}

TEST_F(FramesTest, SetFrameFillStretchesOverTheClientArea)
{
    FakeBox full(528, 628);
    SetFrameFill(full, -1.05, 1.05, 1.05, -1.05);
    const PlotFrame& f = CurrentFrame();
    EXPECT_DOUBLE_EQ(f.XScale, 528 / 2.1);
    EXPECT_DOUBLE_EQ(f.YScale, -628 / 2.1);
    EXPECT_DOUBLE_EQ(f.XOffset, 264.0);
    EXPECT_DOUBLE_EQ(f.YOffset, 314.0);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{264, 314}));
    EXPECT_EQ(XYToPixel(1.05, -1.05), (PixelPoint{528, 628}));
}

TEST_F(FramesTest, RegistryKeepsOneEntryPerBox)
{
    FakeBox a(400, 300);
    SetFrame(a, -1, 1, 1, -1);
    int goneHandle = 0;
    {
        FakeBox gone(180, 180);  // its entry goes with it; its handle is never given again
        SetFrame(gone, -1, 1, 1, -1);
        goneHandle = gone.Handle();
        ASSERT_EQ(FrameList().size(), 2u);
    }
    EXPECT_EQ(CurrentFrame().Handle, goneHandle);  // still current, without its box
    EXPECT_EQ(CurrentFrame().PaintBox, nullptr);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{90, 90}));
    FakeBox b(180, 180);
    EXPECT_NE(b.Handle(), goneHandle);
    EXPECT_THROW(SelectFrame(b), std::runtime_error);
    SetFrame(b, -1, 1, 1, -1);
    SetFrameFill(a, -2, 2, 2, -2);
    ASSERT_EQ(FrameList().size(), 2u);
    EXPECT_EQ(FrameList()[0].PaintBox, &a);
    EXPECT_EQ(FrameList()[0].XScale, 100.0);

    SelectFrame(b);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{90, 90}));
    SelectFrame(a);
    EXPECT_EQ(CurrentFrame().PaintBox, &a);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{200, 150}));
}

TEST_F(FramesTest, DestroyedBoxesLeaveNoEntries)
{
    FakeBox kept(400, 300);
    SetFrame(kept, -1, 1, 1, -1);
    const std::size_t before = FrameList().size();
    std::vector<int> gone;
    for (int i = 0; i < 1000; ++i) {
        FakeBox box(10 + i % 7, 20);
        if (i % 2 == 0)
            SetFrame(box, -1, 1, 1, -1);
        else
            SetFrameFill(box, -1, 1, 1, -1);
        SelectFrame(box);
        EXPECT_EQ(FrameList().size(), before + 1);
        gone.push_back(box.Handle());
    }
    EXPECT_EQ(FrameList().size(), before);
    for (const PlotFrame& entry : FrameList()) {
        EXPECT_EQ(std::count(gone.begin(), gone.end(), entry.Handle), 0);
        EXPECT_NE(entry.PaintBox, nullptr);
    }
    // Boxes that live together keep their entries until each one goes.
    {
        std::vector<std::unique_ptr<FakeBox>> boxes;
        for (int i = 0; i < 1000; ++i) {
            boxes.push_back(std::make_unique<FakeBox>(50, 50));
            SetFrame(*boxes.back(), -1, 1, 1, -1);
        }
        EXPECT_EQ(FrameList().size(), before + 1000);
        boxes.erase(boxes.begin() + 250, boxes.begin() + 750);
        EXPECT_EQ(FrameList().size(), before + 500);
        for (const auto& box : boxes)
            EXPECT_NO_THROW(SelectFrame(*box));
    }
    EXPECT_EQ(FrameList().size(), before);
    SelectFrame(kept);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{200, 150}));
}

TEST_F(FramesTest, FailuresHaveFixedTextsAndChangeNothing)
{
    FakeBox box(400, 300);
    FakeBox other(50, 50);
    SetFrame(box, -1, 1, 1, -1);

    using Setter = void (*)(FrameTarget&, double, double, double, double);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        Setter set;
        double l, t, r, b;
        std::string text;
    } cases[] = {
        {SetFrame, 1, -1, 1, 5, "SetFrame: XLeft >= XRight"},  // x is checked first
        {SetFrame, nan, 1, 1, -1, "SetFrame: XLeft >= XRight"},
        {SetFrame, -1, 1, 1, 1, "SetFrame: YBottom >= YTop"},
        {SetFrameFill, 0, 0, 0, 0, "SetFrame: XLeft >= XRight"},
        {SetFrameFill, -1, 0, 1, 2, "SetFrame: YBottom >= YTop"},
    };
    for (const auto& c : cases) {
        try {
            c.set(other, c.l, c.t, c.r, c.b);
            ADD_FAILURE() << "no failure for " << c.text;
        } catch (const AssertionFailure& e) {
            const std::string what = e.what();
            EXPECT_EQ(what.rfind(c.text + " (plot_frame.cpp, line ", 0), 0u) << what;
            EXPECT_EQ(what.back(), ')');
        }
    }
    try {
        SelectFrame(other);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "PaintBox " + std::to_string(other.Handle()) + " not found");
    }
    EXPECT_EQ(FrameList().size(), 1u);
    EXPECT_EQ(CurrentFrame().PaintBox, &box);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{200, 150}));
}

TEST_F(FramesTest, EachThreadHasItsOwnFrames)
{
    FakeBox box(400, 300);
    SetFrame(box, -1, 1, 1, -1);
    std::size_t otherCount = 99;
    std::thread([&] {
        otherCount = FrameList().size();
        FakeBox own(10, 10);
        SetFrame(own, -1, 1, 1, -1);
    }).join();
    EXPECT_EQ(otherCount, 0u);
    EXPECT_EQ(FrameList().size(), 1u);
    EXPECT_EQ(CurrentFrame().PaintBox, &box);
}

TEST(ClampRound, LimitsAndTies)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ClampRound(3e9), 2147483647);
    EXPECT_EQ(ClampRound(-3e9), -2147483647);
    EXPECT_EQ(ClampRound(std::nan("")), 2147483647);
    EXPECT_EQ(ClampRound(-inf), -2147483647);
    EXPECT_EQ(ClampRound(-2147483647.5), -2147483647);
    EXPECT_EQ(ClampRound(2147483646.5), 2147483646);
    EXPECT_EQ(ClampRound(2.5), 2);
    EXPECT_EQ(ClampRound(-2.5), -2);
    EXPECT_EQ(ClampRound(-3.5), -4);
    EXPECT_EQ(ClampRound(0.49999999999999994), 0);
    EXPECT_EQ(ClampRound(1.5000000000000002), 2);
}

// The rounding ClampRound had before std::nearbyint: exact in double whatever the mode.
int FormerClampRound(double v)
{
    if (v > 2147483647.0 || std::isnan(v))
        return 2147483647;
    if (v < -2147483647.0)
        return -2147483647;
    const double below = std::floor(v);
    const double fraction = v - below;
    double result = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        result = below + 1.0;
    return static_cast<int>(result);
}

TEST(ClampRound, AgreesWithTheFormerRoundingOnASample)
{
    std::mt19937_64 bits(7);  // fixed seed: the same sample on every run
    for (int i = 0; i < 200000; ++i) {
        // Halves of integers up to beyond the clamp, the doubles beside them, and pixel
        // values of any size.
        const double half = static_cast<double>(static_cast<std::int64_t>(bits()) >> (31 + i % 33)) + 0.5;
        const double scaled = std::ldexp(static_cast<double>(static_cast<std::int64_t>(bits())), -(30 + i % 40));
        for (const double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300), scaled})
            ASSERT_EQ(ClampRound(v), FormerClampRound(v)) << v;
    }
}

TEST(PointOps, RotateAndDistance)
{
    const WorldPoint r = RotatePoint(MakePoint(1, 0), std::numbers::pi / 2);
    EXPECT_NEAR(r.X, 0.0, 1e-15);
    EXPECT_NEAR(r.Y, 1.0, 1e-15);
    EXPECT_EQ(SubPoints(AddPoints(MakePoint(1, 2), MakePoint(10, 20)), MakePoint(1, 1)),
              MakePoint(10, 21));
    EXPECT_EQ(PointDistance(MakePoint(0, 0), MakePoint(3, 4)), 5.0);
    EXPECT_DOUBLE_EQ(PointDistance(MakePoint(0, 0), MakePoint(3e200, 4e200)), 5e200);
    EXPECT_DOUBLE_EQ(PointDistance(MakePoint(0, 0), MakePoint(3e-200, 4e-200)), 5e-200);
    EXPECT_DOUBLE_EQ(PointDistance(MakePoint(-1e308, 0), MakePoint(1e307, 0)), 1.1e308);
}

}  // namespace
}  // namespace orrimar
