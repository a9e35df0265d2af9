// Frames per paint box, the world-to-pixel mapping and the point helpers.
#include "plot/aplotutl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <thread>

namespace orrimar {
namespace {

class FakeBox : public FrameTarget {
public:
    FakeBox(int width, int height) : width_(width), height_(height) {}
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }
    void Resize(int width, int height)
    {
        width_ = width;
        height_ = height;
    }

private:
    int width_;
    int height_;
};

class FramesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFrames(); }
    void TearDown() override { ResetFrames(); }
};

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

TEST_F(FramesTest, StartsZeroAndMapsEveryFinitePointToOrigin)
{
    EXPECT_EQ(CurrentFrame().PaintBox, nullptr);
    EXPECT_TRUE(FrameList().empty());
    EXPECT_EQ(XYToPixel(123.0, -4e9), (TPixelPoint{0, 0}));
}

TEST_F(FramesTest, SetFrameCentresAlongTheAxisWithSpareRoom)
{
    FakeBox wide(400, 300);
    SetFrame(wide, -1, 1, 1, -1);
    const TFrameRec& f = CurrentFrame();
    EXPECT_EQ(f.XScale, 150.0);
    EXPECT_EQ(f.YScale, -150.0);
    EXPECT_EQ(f.XOffset, 200.0);
    EXPECT_EQ(f.YOffset, 150.0);
    EXPECT_EQ(f.PaintBox, &wide);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{200, 150}));
    EXPECT_EQ(XYToPixel(-1, 1), (TPixelPoint{50, 0}));
    EXPECT_EQ(PixelsPerUnit(), 150.0);

    FakeBox tall(300, 400);
    SetFrame(tall, -1, 1, 1, -1);
    EXPECT_EQ(CurrentFrame().XOffset, 150.0);
    EXPECT_EQ(CurrentFrame().YOffset, 200.0);
}

TEST_F(FramesTest, SetFrameOnSquareBoxShiftsNothing)
{
    FakeBox inset(180, 180);
    const double gw = 0.06636982310093653;
    SetFrame(inset, -gw, gw, gw, -gw);
    EXPECT_EQ(CurrentFrame().XOffset, 90.0);
    EXPECT_EQ(CurrentFrame().YOffset, 90.0);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{90, 90}));
    // 67.5 and 112.5 round to the even neighbours.
    const double re = 0.016592455775234133;
    EXPECT_EQ(XYToPixel(-re, re), (TPixelPoint{68, 68}));
    EXPECT_EQ(XYToPixel(re, -re), (TPixelPoint{112, 112}));
}

TEST_F(FramesTest, SetFrameOffCentreRectangle)
{
    FakeBox full(528, 628);
    SetFrame(full, -0.1, 1.05, 1.05, -0.15);
    EXPECT_NEAR(PixelsPerUnit(), 528 / 1.15, 1e-9);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{46, 521}));
}

TEST_F(FramesTest, SetFrameFillStretchesOverTheClientArea)
{
    FakeBox full(528, 628);
    SetFrameFill(full, -1.05, 1.05, 1.05, -1.05);
    const TFrameRec& f = CurrentFrame();
    EXPECT_DOUBLE_EQ(f.XScale, 528 / 2.1);
    EXPECT_DOUBLE_EQ(f.YScale, -628 / 2.1);
    EXPECT_DOUBLE_EQ(f.XOffset, 264.0);
    EXPECT_DOUBLE_EQ(f.YOffset, 314.0);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{264, 314}));
    EXPECT_EQ(XYToPixel(1.05, -1.05), (TPixelPoint{528, 628}));
}

TEST_F(FramesTest, EmptyClientAreaGivesZeroScale)
{
    FakeBox empty(0, 50);
    SetFrame(empty, -1, 1, 1, -1);
    EXPECT_EQ(PixelsPerUnit(), 0.0);
    SetFrameFill(empty, -1, 1, 1, -1);
    EXPECT_EQ(CurrentFrame().XScale, 0.0);
    EXPECT_EQ(CurrentFrame().YScale, -25.0);
}

TEST_F(FramesTest, RegistryKeepsOneEntryPerBoxAndSelectsIt)
{
    FakeBox a(400, 300);
    FakeBox b(180, 180);
    SetFrame(a, -1, 1, 1, -1);
    SetFrame(b, -1, 1, 1, -1);
    a.Resize(200, 200);
    SetFrameFill(a, -2, 2, 2, -2);
    ASSERT_EQ(FrameList().size(), 2u);
    EXPECT_EQ(FrameList()[0].Handle, a.Handle());
    EXPECT_EQ(FrameList()[0].XScale, 50.0);
    EXPECT_EQ(FrameList()[1].XScale, 90.0);

    SelectFrame(b);
    EXPECT_EQ(CurrentFrame().PaintBox, &b);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{90, 90}));
    SelectFrame(a);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{100, 100}));
}

TEST_F(FramesTest, BoxesThatComeAndGoNeverShareAnEntry)
{
    int oldHandle = 0;
    {
        auto gone = std::make_unique<FakeBox>(100, 100);
        oldHandle = gone->Handle();
        SetFrame(*gone, -1, 1, 1, -1);
    }
    FakeBox fresh(100, 100);
    EXPECT_NE(fresh.Handle(), oldHandle);
    EXPECT_THROW(SelectFrame(fresh), std::runtime_error);
    SetFrame(fresh, -2, 2, 2, -2);
    EXPECT_EQ(FrameList().size(), 2u);
}

TEST_F(FramesTest, BadRectangleFailsWithFixedTextAndChangesNothing)
{
    FakeBox box(400, 300);
    FakeBox other(50, 50);
    SetFrame(box, -1, 1, 1, -1);
    const TFrameRec before = CurrentFrame();

    struct Case {
        void (*set)(FrameTarget&, double, double, double, double);
        double l, t, r, b;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {SetFrame, 1, -1, 1, 5, "SetFrame: XLeft >= XRight"},  // x is checked first
        {SetFrame, 2, 1, 1, -1, "SetFrame: XLeft >= XRight"},
        {SetFrame, -1, 1, 1, 1, "SetFrame: YBottom >= YTop"},
        {SetFrameFill, 0, 0, 0, 0, "SetFrame: XLeft >= XRight"},
        {SetFrameFill, -1, 0, 1, 2, "SetFrame: YBottom >= YTop"},
        {SetFrame, nan, 1, 1, -1, "SetFrame: XLeft >= XRight"},
    };
    for (const Case& c : cases) {
        try {
            c.set(other, c.l, c.t, c.r, c.b);
            ADD_FAILURE() << "no failure for " << c.text;
        } catch (const AssertionFailure& e) {
            const std::string what = e.what();
            EXPECT_TRUE(StartsWith(what, std::string(c.text) + " (aplotutl.cpp, line ")) << what;
            EXPECT_EQ(what.back(), ')');
        }
        EXPECT_EQ(CurrentFrame().PaintBox, before.PaintBox);
        EXPECT_EQ(CurrentFrame().XOffset, before.XOffset);
        EXPECT_EQ(FrameList().size(), 1u);
    }
}

TEST_F(FramesTest, SelectingAnUnknownBoxNamesItsHandle)
{
    FakeBox known(400, 300);
    FakeBox unknown(10, 10);
    SetFrame(known, -1, 1, 1, -1);
    try {
        SelectFrame(unknown);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "PaintBox " + std::to_string(unknown.Handle()) + " not found");
    }
    EXPECT_EQ(CurrentFrame().PaintBox, &known);
    EXPECT_EQ(XYToPixel(0, 0), (TPixelPoint{200, 150}));
}

TEST_F(FramesTest, StoreWithoutPaintBoxIsRefused)
{
    EXPECT_THROW(StoreFrame(), AssertionFailure);
    EXPECT_TRUE(FrameList().empty());
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
    EXPECT_EQ(ClampRound(3e9), 2147483647);
    EXPECT_EQ(ClampRound(-3e9), -2147483647);
    EXPECT_EQ(ClampRound(std::numeric_limits<double>::quiet_NaN()), 2147483647);
    EXPECT_EQ(ClampRound(std::numeric_limits<double>::infinity()), 2147483647);
    EXPECT_EQ(ClampRound(-std::numeric_limits<double>::infinity()), -2147483647);
    EXPECT_EQ(ClampRound(2147483647.0), 2147483647);
    EXPECT_EQ(ClampRound(-2147483647.0), -2147483647);
    EXPECT_EQ(ClampRound(-2147483647.5), -2147483647);
    EXPECT_EQ(ClampRound(2147483646.5), 2147483646);
    EXPECT_EQ(ClampRound(2.5), 2);
    EXPECT_EQ(ClampRound(3.5), 4);
    EXPECT_EQ(ClampRound(-2.5), -2);
    EXPECT_EQ(ClampRound(-3.5), -4);
    EXPECT_EQ(ClampRound(0.49999999999999994), 0);
    EXPECT_EQ(ClampRound(-0.7), -1);
    EXPECT_EQ(ClampRound(1.5000000000000002), 2);
}

TEST_F(FramesTest, FarPointsClampInsteadOfOverflowing)
{
    FakeBox box(400, 300);
    SetFrame(box, -1, 1, 1, -1);
    EXPECT_EQ(XYToPixel(1e300, -1e300), (TPixelPoint{2147483647, 2147483647}));
    EXPECT_EQ(XYToPixel(-1e300, 1e300), (TPixelPoint{-2147483647, -2147483647}));
}

TEST_F(FramesTest, XYToPixelAgreesWithWorldToPixel)
{
    FakeBox box(528, 628);
    SetFrameFill(box, -1.05, 1.05, 1.05, -1.05);
    for (double x = -1.3; x < 1.3; x += 0.0137)
        for (double y = -1.3; y < 1.3; y += 0.0291)
            ASSERT_EQ(XYToPixel(x, y), WorldToPixel(MakePoint(x, y))) << x << ", " << y;
}

TEST(PointOps, RotateAddSubtract)
{
    const TPlotPoint r = RotatePoint(MakePoint(1, 0), std::numbers::pi / 2);
    EXPECT_NEAR(r.X, 0.0, 1e-15);
    EXPECT_NEAR(r.Y, 1.0, 1e-15);
    const TPlotPoint q = RotatePoint(MakePoint(5, 0), -std::numbers::pi / 4);
    EXPECT_NEAR(q.X, 5 / std::sqrt(2.0), 1e-14);
    EXPECT_NEAR(q.Y, -5 / std::sqrt(2.0), 1e-14);
    EXPECT_EQ(AddPoints(MakePoint(1, 2), MakePoint(10, 20)), MakePoint(11, 22));
    EXPECT_EQ(SubPoints(MakePoint(1, 2), MakePoint(10, 20)), MakePoint(-9, -18));
}

TEST(PointOps, DistanceWithoutOverflow)
{
    EXPECT_EQ(PointDistance(MakePoint(0, 0), MakePoint(3, 4)), 5.0);
    EXPECT_EQ(PointDistance(MakePoint(1, 1), MakePoint(1, -6)), 7.0);
    EXPECT_EQ(PointDistance(MakePoint(2, 2), MakePoint(2, 2)), 0.0);
    EXPECT_DOUBLE_EQ(PointDistance(MakePoint(0, 0), MakePoint(3e200, 4e200)), 5e200);
    EXPECT_DOUBLE_EQ(PointDistance(MakePoint(0, 0), MakePoint(3e-200, 4e-200)), 5e-200);
    EXPECT_DOUBLE_EQ(PointDistance(MakePoint(-1e308, 0), MakePoint(1e307, 0)), 1.1e308);
    EXPECT_TRUE(std::isinf(PointDistance(MakePoint(0, 0), MakePoint(INFINITY, 1))));
    EXPECT_TRUE(std::isnan(PointDistance(MakePoint(NAN, 0), MakePoint(0, 0))));
}

}  // namespace
}  // namespace orrimar
