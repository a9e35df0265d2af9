// DOP853: accuracy on problems with known solutions, the order of the method, the
// step-size control, the output routine's contract and the failure codes.
#include "integrator/dop853.h"
#include "integrator/dop853_impl.h"
#include "support/ode_problems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orrimar {
namespace {

using test::CountingRhs;

const SolutionOutput noOutput = [](int, double, double, const Vector&, int, const DenseOutput&, bool&) {};

// Runs Dop853 from x0; the result must repeat the x and h left in place.
Dop853Result Integrate(int n, const RightHandSide& f, Vector& y, double x0, double xEnd, double h,
                       double tol, double hMax = 0.0, const SolutionOutput& out = noOutput,
                       int iOut = 0)
{
    double x = x0;
    const Dop853Result result = Dop853(n, f, x, y, xEnd, h, hMax, tol, tol, out, iOut);
    EXPECT_EQ(result.X, x);
    EXPECT_EQ(result.H, h);
    return result;
}

// --- Accuracy ---------------------------------------------------------------

TEST(Dop853Accuracy, ExponentialGrowthToOne)
{
    Vector y{0.0, 1.0};
    const Dop853Result run = Integrate(1, test::Growth, y, 0.0, 1.0, 0.0, 1e-10);
    EXPECT_EQ(run.Code, Dop853Reached);
    EXPECT_EQ(run.X, 1.0);
    EXPECT_NEAR(y[1], std::exp(1.0), 1e-9);
}

TEST(Dop853Accuracy, BackwardIntegrationOfGrowth)
{
    Vector y{0.0, std::exp(1.0)};
    const Dop853Result run = Integrate(1, test::Growth, y, 1.0, 0.0, 0.0, 1e-10);
    EXPECT_EQ(run.Code, Dop853Reached);
    EXPECT_EQ(run.X, 0.0);
    EXPECT_NEAR(y[1], 1.0, 1e-9);
}

TEST(Dop853Accuracy, OscillatorOverHundredPeriods)
{
    Vector y{0.0, 0.0, 1.0};
    const double xEnd = 200.0 * M_PI;
    const Dop853Result run = Integrate(2, test::Oscillator, y, 0.0, xEnd, 0.0, 1e-10);
    EXPECT_EQ(run.Code, Dop853Reached);
    EXPECT_NEAR(y[1], std::sin(xEnd), 1e-7);
    EXPECT_NEAR(y[2], std::cos(xEnd), 1e-7);
}

TEST(Dop853Accuracy, ArenstorfOrbitClosesAfterOnePeriod)
{
    Vector y = test::ArenstorfStart;
    const Dop853Result run = Integrate(4, test::Arenstorf, y, 0.0, test::ArenstorfPeriod, 0.0, 1e-10);
    EXPECT_EQ(run.Code, Dop853Reached);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NEAR(y[i], test::ArenstorfStart[i], 1e-5) << "component " << i;
}

// The callables called directly give the same bits as through std::function: every
// step's end, every dense value, the counts.
TEST(Dop853Direct, SameResultsAsThroughStdFunction)
{
    std::vector<double> seen[2];
    Dop853Result results[2];
    Vector ends[2];
    for (int way = 0; way < 2; ++way) {
        std::vector<double>& log = seen[way];
        const auto out = [&log](int, double xOld, double x, const Vector& y, int,
                                const DenseOutput& dense, bool&) {
            log.push_back(x);
            log.insert(log.end(), y.Span().begin(), y.Span().end());
            if (x > xOld)
                log.push_back(dense.Value(3, (xOld + x) / 2.0));
        };
        Vector y = test::ArenstorfStart;
        double x = 0.0;
        double h = 0.0;
        double hMax = 0.0;
        results[way] = way == 0 ? Dop853(4, test::Arenstorf, x, y, test::ArenstorfPeriod, h,
                                         hMax, 1e-9, 1e-9, out, 2)
                                : Dop853With(4, test::Arenstorf, x, y, test::ArenstorfPeriod,
                                             h, hMax, 1e-9, 1e-9, out, 2);
        ends[way] = y;
    }
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(ends[0], ends[1]);
    EXPECT_EQ(results[0].Accepted, results[1].Accepted);
    EXPECT_EQ(results[0].Evaluations, results[1].Evaluations);
    EXPECT_EQ(results[0].H, results[1].H);
}

// With the tolerance so loose that every step is accepted and hMax fixing the step,
// halving the step must shrink the error by about 2^8.
TEST(Dop853Accuracy, ErrorShrinksWithEighthPowerOfStep)
{
    auto errorWithStep = [](double step) {
        Vector y{0.0, 0.0, 1.0};
        Integrate(2, test::Oscillator, y, 0.0, 8.0, step, 1e6, step);
        return std::hypot(y[1] - std::sin(8.0), y[2] - std::cos(8.0));
    };
    const double coarse = errorWithStep(0.8);
    const double fine = errorWithStep(0.4);
    const double ratio = coarse / fine;
    EXPECT_GT(ratio, 180.0) << "coarse " << coarse << " fine " << fine;
    EXPECT_LT(ratio, 360.0) << "coarse " << coarse << " fine " << fine;
}

// --- Dense output -----------------------------------------------------------

TEST(Dop853Dense, MatchesExactSolutionInsideEverySteps)
{
    Vector y{0.0, 0.0, 1.0};
    double worst = 0.0;
    int calls = 0;
    auto out = [&](int nr, double xPrev, double x, const Vector&, int, const DenseOutput& dense,
                   bool&) {
        ++calls;
        if (nr == 0)
            return;
        for (int k = 0; k <= 10; ++k) {
            const double t = xPrev + (x - xPrev) * k / 10.0;
            worst = std::max(worst, std::abs(dense.Value(1, t) - std::sin(t)));
            worst = std::max(worst, std::abs(dense.Value(2, t) - std::cos(t)));
            // All components at once give the same numbers, element 0 untouched.
            double all[3] = {7.0, 0.0, 0.0};
            dense.Values(t, all);
            EXPECT_EQ(all[0], 7.0);
            EXPECT_EQ(all[1], dense.Value(1, t));
            EXPECT_EQ(all[2], dense.Value(2, t));
        }
    };
    Integrate(2, test::Oscillator, y, 0.0, 20.0, 0.0, 1e-10, 0.0, out, 2);
    EXPECT_GT(calls, 10);
    EXPECT_LT(worst, 1e-8);
}

TEST(Dop853Dense, EndsOfTheStepGiveOldAndNewSolutionAndSlopes)
{
    Vector y{0.0, 1.0};
    double previous = 1.0;  // solution at the start of the step just taken
    int checked = 0;
    auto out = [&](int nr, double xPrev, double x, const Vector& yNow, int,
                   const DenseOutput& dense, bool&) {
        const auto at = [&dense](int i, double t) { return dense.Value(i, t); };
        if (nr > 0) {
            EXPECT_EQ(dense.XOld(), xPrev);
            EXPECT_DOUBLE_EQ(dense.HOut(), x - xPrev);
            EXPECT_EQ(at(1, xPrev), previous) << "step " << nr;
            EXPECT_NEAR(at(1, x), yNow[1], 1e-15 * yNow[1]) << "step " << nr;
            // For y' = y the slope at both ends equals the solution there.
            const double eps = 1e-5 * (x - xPrev);
            const double slopeStart = (at(1, xPrev + eps) - at(1, xPrev - eps)) / (2 * eps);
            const double slopeEnd = (at(1, x + eps) - at(1, x - eps)) / (2 * eps);
            EXPECT_NEAR(slopeStart, previous, 1e-7 * previous);
            EXPECT_NEAR(slopeEnd, yNow[1], 1e-7 * yNow[1]);
            ++checked;
        }
        previous = yNow[1];
    };
    Integrate(1, test::Growth, y, 0.0, 2.0, 0.0, 1e-9, 0.0, out, 2);
    EXPECT_GT(checked, 3);
}

TEST(Dop853Dense, InitialCallSeesZeroTable)
{
    Vector y{0.0, 3.0, 4.0};
    std::vector<double> seen;
    auto out = [&](int nr, double, double x, const Vector&, int, const DenseOutput& dense,
                   bool& stop) {
        EXPECT_EQ(nr, 0);
        EXPECT_TRUE(dense.Available());
        EXPECT_EQ(dense.Size(), 2);
        seen = {dense.Value(1, x), dense.Value(2, x + 0.5)};
        stop = true;
    };
    Integrate(2, test::Oscillator, y, 0.0, 1.0, 0.1, 1e-8, 0.0, out, 2);
    EXPECT_EQ(seen, (std::vector<double>{0.0, 0.0}));
}

TEST(Dop853Dense, ComponentOutsideTheSystemIsARangeError)
{
    Vector y{0.0, 1.0};
    auto out = [&](int, double, double x, const Vector&, int, const DenseOutput& dense,
                   bool& stop) {
        EXPECT_THROW(dense.Value(0, x), std::out_of_range);
        EXPECT_THROW(dense.Value(2, x), std::out_of_range);
        double tooShort[1] = {};
        EXPECT_THROW(dense.Values(x, tooShort), std::out_of_range);
        stop = true;
    };
    Integrate(1, test::Growth, y, 0.0, 1.0, 0.1, 1e-8, 0.0, out, 2);
}

TEST(Dop853Dense, WithoutDenseOutputAskingForItThrows)
{
    Vector y{0.0, 1.0};
    int calls = 0;
    auto out = [&](int, double, double x, const Vector&, int, const DenseOutput& dense, bool&) {
        ++calls;
        EXPECT_FALSE(dense.Available());
        double all[2] = {};
        for (const auto& ask : {std::function<void()>([&] { dense.Value(1, x); }),
                                std::function<void()>([&] { dense.Values(x, all); })}) {
            try {
                ask();
                ADD_FAILURE() << "no exception";
            } catch (const std::logic_error& e) {
                EXPECT_STREQ(e.what(), "No dense output available. Halt");
            }
        }
    };
    EXPECT_EQ(Integrate(1, test::Growth, y, 0.0, 1.0, 0.1, 1e-8, 0.0, out, 1).Code, Dop853Reached);
    EXPECT_GT(calls, 1);
}

// --- The output routine's contract ----------------------------------------

TEST(Dop853Output, NrCountsAcceptedStepsWithoutGapsAcrossRejections)
{
    // A first step of 1 on y' = y at 1e-12 is far too long and is rejected.
    long evaluations = 0;
    const RightHandSide f = CountingRhs{test::Growth, &evaluations};
    std::vector<int> nrs;
    auto out = [&](int nr, double, double, const Vector&, int, const DenseOutput&, bool&) { nrs.push_back(nr); };
    Vector y{0.0, 1.0};
    const Dop853Result run = Integrate(1, f, y, 0.0, 3.0, 1.0, 1e-12, 0.0, out, 1);
    ASSERT_EQ(run.Code, Dop853Reached);
    const long accepted = static_cast<long>(nrs.size()) - 1;
    for (std::size_t i = 0; i < nrs.size(); ++i)
        EXPECT_EQ(nrs[i], static_cast<int>(i));
    // 1 at the start, 11 per attempt, 1 more per accepted step (no dense output).
    const long attempts = (evaluations - 1 - accepted) / 11;
    EXPECT_EQ((evaluations - 1 - accepted) % 11, 0);
    EXPECT_GT(attempts, accepted) << "the problem was meant to reject some steps";
}

TEST(Dop853Output, DenseOutputCostsThreeEvaluationsPerAcceptedStep)
{
    auto countFor = [](int iOut, long& accepted) {
        long evaluations = 0;
        const RightHandSide f = CountingRhs{test::Oscillator, &evaluations};
        accepted = 0;
        auto out = [&](int nr, double, double, const Vector&, int, const DenseOutput&, bool&) { accepted = nr; };
        Vector y{0.0, 0.0, 1.0};
        Integrate(2, f, y, 0.0, 10.0, 0.01, 1e-9, 0.0, out, iOut);
        return evaluations;
    };
    long accepted1 = 0;
    long accepted2 = 0;
    const long evaluations1 = countFor(1, accepted1);
    const long evaluations2 = countFor(2, accepted2);
    EXPECT_EQ(accepted1, accepted2);
    EXPECT_EQ(evaluations2 - evaluations1, 3 * accepted2);
}

TEST(Dop853Output, StopOnTheFirstCallAttemptsNoStep)
{
    for (double h0 : {0.1, 0.0}) {
        long evaluations = 0;
        const RightHandSide f = CountingRhs{test::Growth, &evaluations};
        int calls = 0;
        auto out = [&](int nr, double xPrev, double x, const Vector& y, int n, const DenseOutput&, bool& stop) {
            ++calls;
            EXPECT_EQ(nr, 0);
            EXPECT_EQ(xPrev, 0.5);
            EXPECT_EQ(x, 0.5);
            EXPECT_EQ(y[1], 2.0);
            EXPECT_EQ(n, 1);
            EXPECT_FALSE(stop);
            stop = true;
        };
        Vector y{0.0, 2.0};
        const Dop853Result run = Integrate(1, f, y, 0.5, 1.0, h0, 1e-8, 0.0, out, 2);
        EXPECT_EQ(run.Code, Dop853Stopped);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(evaluations, h0 == 0.0 ? 2 : 1);
        EXPECT_EQ(y[1], 2.0);
    }
}

TEST(Dop853Output, StopAfterAStepKeepsThatStep)
{
    Vector y{0.0, 1.0};
    double lastStep = 0.0;
    auto out = [&](int nr, double xPrev, double x, const Vector&, int, const DenseOutput&, bool& stop) {
        lastStep = x - xPrev;
        stop = nr == 3;
    };
    const Dop853Result run = Integrate(1, test::Growth, y, 0.0, 10.0, 0.01, 1e-8, 0.0, out, 1);
    EXPECT_EQ(run.Code, Dop853Stopped);
    EXPECT_DOUBLE_EQ(run.H, lastStep);
    EXPECT_NEAR(y[1], std::exp(run.X), 1e-8 * y[1]);
}

TEST(Dop853Output, NoOutputWhenIOutIsZero)
{
    Vector y{0.0, 1.0};
    int calls = 0;
    auto out = [&](int, double, double, const Vector&, int, const DenseOutput&, bool&) { ++calls; };
    EXPECT_EQ(Integrate(1, test::Growth, y, 0.0, 1.0, 0.0, 1e-8, 0.0, out, 0).Code, Dop853Reached);
    EXPECT_EQ(calls, 0);
}

TEST(Dop853Output, RunToTheEndCallsOutputOncePerAcceptedStepPlusOne)
{
    Vector y{0.0, 0.0, 1.0};
    int calls = 0;
    int lastNr = -1;
    double lastX = -1.0;
    auto out = [&](int nr, double, double x, const Vector&, int, const DenseOutput&, bool&) {
        ++calls;
        lastNr = nr;
        lastX = x;
    };
    const Dop853Result run = Integrate(2, test::Oscillator, y, 0.0, 5.0, 0.0, 1e-8, 0.0, out, 1);
    EXPECT_EQ(run.Code, Dop853Reached);
    EXPECT_EQ(calls, lastNr + 1);
    EXPECT_EQ(lastX, 5.0);  // the last step is stretched onto XEnd exactly
}

// --- Step-size control ------------------------------------------------------

TEST(Dop853StepControl, NoGrowthRightAfterARejection)
{
    // Counting evaluations between output calls shows which accepted steps
    // followed a rejected attempt (15 per clean accepted step with dense output).
    long evaluations = 0;
    const RightHandSide f = CountingRhs{test::Arenstorf, &evaluations};
    std::vector<double> steps;
    std::vector<bool> afterRejection;
    long before = 0;
    auto out = [&](int nr, double xPrev, double x, const Vector&, int, const DenseOutput&, bool&) {
        if (nr > 0) {
            steps.push_back(x - xPrev);
            afterRejection.push_back(evaluations - before > 15);
        }
        before = evaluations;
    };
    Vector y = test::ArenstorfStart;
    Integrate(4, f, y, 0.0, test::ArenstorfPeriod, 0.0, 1e-7, 0.0, out, 2);
    int seen = 0;
    for (std::size_t i = 0; i + 2 < steps.size(); ++i) {
        if (!afterRejection[i])
            continue;
        ++seen;
        EXPECT_LE(steps[i + 1], steps[i]) << "step " << i + 1;
    }
    EXPECT_GT(seen, 0) << "the run was meant to reject some steps";
}

// On a right-hand side with jumps the accepted step after a rejection ends before the
// jump and is exact, so the controller asks for sixfold growth: only the cap after a
// rejection keeps the next step from being longer.
TEST(Dop853StepControl, CapAfterARejectionBindsAtJumps)
{
    long evaluations = 0;
    const RightHandSide f = CountingRhs{test::SquareWave, &evaluations};
    std::vector<double> steps;
    std::vector<bool> afterRejection;  // 12 evaluations per clean step without dense output
    long before = 0;
    auto out = [&](int nr, double xPrev, double x, const Vector&, int, const DenseOutput&, bool&) {
        if (nr > 0) {
            steps.push_back(x - xPrev);
            afterRejection.push_back(evaluations - before > 12);
        }
        before = evaluations;
    };
    Vector y{0.0, 0.0};
    const Dop853Result run = Integrate(1, f, y, 0.0, 10.0, 0.0, 1e-8, 0.0, out, 1);
    ASSERT_EQ(run.Code, Dop853Reached);
    EXPECT_GT(run.Rejected, 9);  // at least one per jump
    EXPECT_EQ(run.Steps, run.Accepted + run.Rejected);
    EXPECT_EQ(run.Evaluations, evaluations);
    EXPECT_NEAR(y[1], 0.0, 1e-6);  // five pieces up, five down
    int bound = 0;
    for (std::size_t i = 0; i + 2 < steps.size(); ++i) {
        if (!afterRejection[i])
            continue;
        EXPECT_LE(steps[i + 1], steps[i]) << "step " << i + 1;
        bound += steps[i + 1] == steps[i];
    }
    EXPECT_GT(bound, 3) << "the cap was meant to bind";
}

TEST(Dop853StepControl, StepsNeverExceedHMax)
{
    Vector y{0.0, 0.0, 1.0};
    double longest = 0.0;
    auto out = [&](int, double xPrev, double x, const Vector&, int, const DenseOutput&, bool&) {
        longest = std::max(longest, x - xPrev);
    };
    double x = 0.0;
    double h = 0.0;
    double hMax = -0.25;  // its absolute value counts
    Dop853(2, test::Oscillator, x, y, 10.0, h, hMax, 1e-4, 1e-4, out, 1);
    EXPECT_EQ(hMax, 0.25);
    EXPECT_LE(longest, 0.25 * (1.0 + 1e-14));
    EXPECT_GT(longest, 0.2);
}

TEST(Dop853StepControl, ZeroHMaxMeansTheWholeInterval)
{
    Vector y{0.0, 1.0};
    double x = 1.0;
    double h = 0.1;
    double hMax = 0.0;
    Dop853(1, test::Growth, x, y, -2.0, h, hMax, 1e-8, 1e-8, noOutput, 0);
    EXPECT_EQ(hMax, 3.0);
}

TEST(Dop853StepControl, ExactStepsGrowSixfold)
{
    // y' = 0 has zero error estimates: each step is accepted and grows by 6.
    Vector y{0.0, 1.0};
    std::vector<double> steps;
    auto out = [&](int nr, double xPrev, double x, const Vector&, int, const DenseOutput&, bool&) {
        if (nr > 0)
            steps.push_back(x - xPrev);
    };
    Integrate(1, test::Zero, y, 0.0, 100.0, 1e-3, 1e-8, 0.0, out, 1);
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps[0], 1e-3);
    EXPECT_DOUBLE_EQ(steps[1], 6e-3);
    EXPECT_DOUBLE_EQ(steps[2], 36e-3);
}

// --- Initial step -----------------------------------------------------------

TEST(Dop853HInit, GrowthProblemGivesTheExpectedGuess)
{
    const Vector y{0.0, 1.0};
    const Vector f0{0.0, 1.0};
    Vector f1(2);
    Vector yy1(2);
    const double h = HInit(1, test::Growth, 0.0, y, 1, f0, f1, yy1, 1.0, 1e-8, 1e-8);
    EXPECT_NEAR(h, std::pow(0.01 / 5e7, 1.0 / 8.0), 1e-15);
    EXPECT_NEAR(h, 0.0613, 1e-4);
    EXPECT_DOUBLE_EQ(yy1[1], 1.01);  // the Euler trial step of 0.01
    const double back = HInit(1, test::Growth, 0.0, y, -1, f0, f1, yy1, 1.0, 1e-8, 1e-8);
    EXPECT_LT(back, 0.0);
}

TEST(Dop853HInit, ZeroProblemAndItsHMaxCut)
{
    const Vector y{0.0, 0.0, 0.0};
    const Vector f0{0.0, 0.0, 0.0};
    Vector f1(3);
    Vector yy1(3);
    EXPECT_EQ(HInit(2, test::Zero, 0.0, y, 1, f0, f1, yy1, 1.0, 1e-8, 1e-8), 1e-6);
    EXPECT_EQ(HInit(2, test::Zero, 0.0, y, -1, f0, f1, yy1, 1e-7, 1e-8, 1e-8), -1e-7);
    // A zero hMax gives a zero step instead of a division by zero.
    EXPECT_EQ(HInit(2, test::Zero, 0.0, y, 1, f0, f1, yy1, 0.0, 1e-8, 1e-8), 0.0);
}

TEST(Dop853HInit, NeverExceedsHMaxNorHundredTrialSteps)
{
    const Vector y{0.0, 1.0, 0.0};
    const Vector f0{0.0, 0.0, -1.0};
    Vector f1(3);
    Vector yy1(3);
    for (double hMax : {1e-3, 0.1, 10.0}) {
        const double h = HInit(2, test::Oscillator, 0.0, y, 1, f0, f1, yy1, hMax, 1e-6, 1e-6);
        EXPECT_GT(h, 0.0);
        EXPECT_LE(h, hMax);
    }
}

// --- Failures -----------------------------------------------------------------

TEST(Dop853Failure, AttemptLimit)
{
    long evaluations = 0;
    const RightHandSide f = CountingRhs{test::Zero, &evaluations};
    int outputs = 0;
    auto out = [&](int, double, double, const Vector&, int, const DenseOutput&, bool&) { ++outputs; };
    Vector y{0.0, 1.0};
    double x = 0.0;
    double h = 1e-6;
    double hMax = 1e-6;
    const Dop853Result result = Dop853(1, f, x, y, 1.0, h, hMax, 1e-8, 1e-8, out, 1);
    EXPECT_EQ(result.Code, Dop853TooManySteps);
    EXPECT_EQ(result.StepLimit, Dop853MaxSteps);
    EXPECT_EQ(outputs, Dop853MaxSteps + 2);  // the initial call and 200001 steps
    EXPECT_EQ(evaluations, 1 + 12L * (Dop853MaxSteps + 1));
    EXPECT_EQ(result.Evaluations, evaluations);
    EXPECT_EQ(result.Steps, Dop853MaxSteps + 1);
    EXPECT_EQ(result.Accepted, Dop853MaxSteps + 1);
    EXPECT_EQ(result.Rejected, 0);
    EXPECT_EQ(result.X, x);
}

TEST(Dop853Failure, StepTooSmall)
{
    Vector y{0.0, 1.0};
    double x = 1.0;
    double h = 1e-17;
    double hMax = 0.0;
    const Dop853Result result = Dop853(1, test::Growth, x, y, 2.0, h, hMax, 1e-8, 1e-8, noOutput, 0);
    EXPECT_EQ(result.Code, Dop853StepTooSmall);
    EXPECT_EQ(result.TooSmallH, 1e-17);
    EXPECT_EQ(result.Steps, 0);
    EXPECT_EQ(result.Evaluations, 1);
    EXPECT_EQ(x, 1.0);
}

// y' = -lambda·(y - cos x): the explicit method's steps are held at its stability
// boundary, which the stiffness test detects. lambda is well clear of the margin
// (at 1000 the verdict hangs on the last bits of the stages).
TEST(Dop853Failure, StiffProblemIsReported)
{
    auto stiff = [](int, double x, const Vector& y, Vector& f) {
        f[1] = -10000.0 * (y[1] - std::cos(x));
    };
    Vector y{0.0, 0.0};
    double x = 0.0;
    double h = 0.0;
    double hMax = 0.0;
    const Dop853Result result = Dop853(1, stiff, x, y, 100.0, h, hMax, 1e-6, 1e-6, noOutput, 0);
    EXPECT_EQ(result.Code, Dop853Stiff);
    EXPECT_EQ(result.StiffAt, x);
    EXPECT_GT(result.Rejected, 0);
    EXPECT_NEAR(y[1], std::cos(x), 1e-3);  // the state stays the last accepted one
    EXPECT_LT(x, 100.0);
}

TEST(Dop853Failure, ReachingTheEndCarriesNoFailureData)
{
    Vector y{0.0, 1.0};
    const Dop853Result run = Integrate(1, test::Growth, y, 0.0, 1.0, 0.0, 1e-8);
    EXPECT_EQ(run.Code, Dop853Reached);
    EXPECT_EQ(run.StepLimit, 0);
    EXPECT_EQ(run.TooSmallH, 0.0);
    EXPECT_EQ(run.StiffAt, 0.0);
    EXPECT_EQ(run.Steps, run.Accepted + run.Rejected);
}

TEST(Dop853Failure, ShortStateVectorIsARangeError)
{
    Vector y{0.0, 1.0};
    double x = 0.0;
    double h = 0.1;
    double hMax = 0.0;
    EXPECT_THROW(Dop853(2, test::Oscillator, x, y, 1.0, h, hMax, 1e-8, 1e-8, noOutput, 0),
                 std::out_of_range);
}

TEST(Dop853Failure, CallbackErrorLeavesTheIntegratorReusable)
{
    Vector y{0.0, 1.0};
    auto throwing = [](int nr, double, double, const Vector&, int, const DenseOutput&, bool&) {
        if (nr == 2)
            throw std::runtime_error("drawing failed");
    };
    EXPECT_THROW(Integrate(1, test::Growth, y, 0.0, 1.0, 0.01, 1e-8, 0.0, throwing, 2),
                 std::runtime_error);
    Vector z{0.0, 1.0};
    EXPECT_EQ(Integrate(1, test::Growth, z, 0.0, 1.0, 0.0, 1e-10).Code, Dop853Reached);
    EXPECT_NEAR(z[1], std::exp(1.0), 1e-9);
}

// Each call keeps its state to itself: an integration run inside another's output
// routine, and the outer one around it, give exactly what each gives alone.
TEST(Dop853Independence, NestedIntegrationsGiveTheirSeparateResults)
{
    struct Trace {
        std::vector<double> xs;     // end of each accepted step
        std::vector<double> dense;  // dense output at each step's midpoint
        Dop853Result result;
        Vector y;
    };
    const auto record = [](Trace& trace) -> SolutionOutput {
        return [&trace](int nr, double xPrev, double x, const Vector&, int n,
                        const DenseOutput& dense, bool&) {
            if (nr == 0)
                return;
            trace.xs.push_back(x);
            for (int i = 1; i <= n; ++i)
                trace.dense.push_back(dense.Value(i, (xPrev + x) / 2.0));
        };
    };
    const auto growth = [](Trace& trace, const SolutionOutput& out) {
        trace.y = Vector{0.0, 1.0};
        trace.result = Integrate(1, test::Growth, trace.y, 0.0, 2.0, 0.0, 1e-10, 0.0, out, 2);
    };
    const auto oscillator = [&record](Trace& trace) {
        trace.y = Vector{0.0, 0.0, 1.0};
        trace.result =
            Integrate(2, test::Oscillator, trace.y, 0.0, 6.0, 0.0, 1e-9, 0.0, record(trace), 2);
    };
    Trace outerAlone;
    Trace innerAlone;
    growth(outerAlone, record(outerAlone));
    oscillator(innerAlone);

    Trace outer;
    Trace inner;
    const SolutionOutput outerRecord = record(outer);
    growth(outer, [&](int nr, double xPrev, double x, const Vector& y, int n,
                      const DenseOutput& dense, bool& stop) {
        outerRecord(nr, xPrev, x, y, n, dense, stop);
        if (nr == 2)
            oscillator(inner);  // runs to its end inside the outer step
        // The outer step's dense output is still its own.
        if (nr > 0) {
            EXPECT_EQ(dense.Value(1, (xPrev + x) / 2.0), outer.dense.back());
        }
    });

    for (const auto& [together, alone] :
         {std::pair{&outer, &outerAlone}, std::pair{&inner, &innerAlone}}) {
        EXPECT_GT(alone->xs.size(), 3u);
        EXPECT_EQ(together->xs, alone->xs);
        EXPECT_EQ(together->dense, alone->dense);
        EXPECT_EQ(together->y, alone->y);
        EXPECT_EQ(together->result.Code, Dop853Reached);
        EXPECT_EQ(together->result.Evaluations, alone->result.Evaluations);
        EXPECT_EQ(together->result.Accepted, static_cast<int>(alone->xs.size()));
    }
}

// --- The stepper ------------------------------------------------------------

// Counts and bits of whole integrations, pinned: the Arenstorf orbit over one period and
// over one time unit at several tolerances from the initial step guess, and an oscillator
// on fixed steps of 0.1 whose end lies 0.0005 (the last step stretched to land on it) or
// 0.002 (one more short step) beyond the tenth step. The stepper driven by hand and the
// Dop853 driver must both give them.
struct PinnedRun {
    const char* name;
    bool arenstorf;
    double tol;
    double xEnd;
    int accepted;
    int rejected;
    int evaluations;
    double lastStep;
    double y1;
    double hNext;
};
const PinnedRun pinnedRuns[] = {
    {"arenstorf period 1e-5", true, 1e-5, test::ArenstorfPeriod, 68, 9, 1121, 0x1.4ecfa15624p-10, 0x1.fcf19be31bebbp-1, 0x1.607986d281417p-9},
    {"arenstorf period 1e-7", true, 1e-7, test::ArenstorfPeriod, 110, 15, 1817, 0x1.5d7bf0e278p-11, 0x1.fced9ffeaf981p-1, 0x1.5e54746b11044p-10},
    {"arenstorf period 1e-9", true, 1e-9, test::ArenstorfPeriod, 184, 24, 3026, 0x1.b1d774d7p-16, 0x1.fced917d9c9e2p-1, 0x1.456197a14p-13},
    {"arenstorf period 1e-11", true, 1e-11, test::ArenstorfPeriod, 307, 16, 4783, 0x1.80e24eaa4p-12, 0x1.fced916897c1dp-1, 0x1.c204eea5bb5d2p-12},
    {"arenstorf period 1e-13", true, 1e-13, test::ArenstorfPeriod, 537, 2, 8079, 0x1.390d983a2p-13, 0x1.fced9168717d1p-1, 0x1.bc4b52215d2e8p-13},
    {"arenstorf one 1e-5", true, 1e-5, 1.0, 22, 0, 332, 0x1.3425b78c61be4p-3, 0x1.40ced20ec74c9p-2, 0x1.b71eac7c620e4p-3},
    {"arenstorf one 1e-9", true, 1e-9, 1.0, 55, 2, 849, 0x1.15047939b9fcp-6, 0x1.40cdad55263b9p-2, 0x1.b7f2518d126f5p-5},
    {"arenstorf one 1e-13", true, 1e-13, 1.0, 138, 2, 2094, 0x1.762ce68b3c54p-7, 0x1.40cdad5104a83p-2, 0x1.686c2d9a42e57p-6},
    {"fixed steps, last stretched", false, 1e6, 1.0005, 10, 0, 151, 0x1.9ba5e353f7cfp-4, 0x1.aef8ae2dae179p-1, 0x1.34bc6a7ef9db4p-1},
    {"fixed steps, one more", false, 1e6, 1.002, 11, 0, 166, 0x1.0624dd2f1abp-9, 0x1.af62b384f498p-1, 0x1.89374bc6a808p-7},
};

TEST(Dop853Stepper, PinnedCountsAndBitsByHandAndThroughTheDriver)
{
    for (const PinnedRun& run : pinnedRuns) {
        SCOPED_TRACE(run.name);
        const RightHandSide f = run.arenstorf ? RightHandSide(test::Arenstorf) : test::Oscillator;
        const Vector start = run.arenstorf ? test::ArenstorfStart : Vector{0.0, 0.0, 1.0};
        const int n = start.Length() - 1;
        const double h0 = run.arenstorf ? 0.0 : 0.1;

        Dop853Stepper stepper(n, f, 0.0, start, run.xEnd, h0, h0, run.tol, run.tol, true);
        int code = Dop853Accepted;
        int steps = 0;
        std::vector<double> probe(static_cast<std::size_t>(n) + 1);
        while (code == Dop853Accepted) {
            code = stepper.Step();
            ++steps;
            // Inside the step the interpolant runs from the old to the new solution.
            stepper.Values(stepper.X(), probe);
            EXPECT_NEAR(probe[1], stepper.Y()[1], 1e-12);
        }
        EXPECT_EQ(code, Dop853Reached);
        EXPECT_EQ(steps, run.accepted);
        EXPECT_EQ(stepper.X(), run.xEnd);
        EXPECT_EQ(stepper.X() - stepper.XOld(), run.lastStep);
        EXPECT_EQ(stepper.Y()[1], run.y1);
        const Dop853Result byHand = stepper.Result(code);
        EXPECT_EQ(byHand.Accepted, run.accepted);
        EXPECT_EQ(byHand.Rejected, run.rejected);
        EXPECT_EQ(byHand.Evaluations, run.evaluations);
        EXPECT_EQ(byHand.H, run.hNext);

        Vector y = start;
        const Dop853Result driven = Integrate(n, f, y, 0.0, run.xEnd, h0, run.tol, h0, noOutput, 2);
        EXPECT_EQ(driven.Accepted, run.accepted);
        EXPECT_EQ(driven.Rejected, run.rejected);
        EXPECT_EQ(driven.Evaluations, run.evaluations);
        EXPECT_EQ(driven.H, run.hNext);
        EXPECT_EQ(y, stepper.Y());
    }
}

}  // namespace
}  // namespace orrimar

namespace orrimar {
namespace {

// Four components are stepped two at a time, others one at a time: the same operations
// in the same order, so the same bits. Two oscillators side by side (n = 4) on fixed steps
// of 0.1 (the step control cannot tell them apart) against each alone (n = 2): every step's
// solution and its interpolant at several fractions, bit for bit.
TEST(Dop853Stepper, TwoAtATimeGivesTheBitsOfOneAtATime)
{
    const auto pair = [](int, double x, const Vector& y, Vector& f) {
        for (const int i : {1, 3}) {
            Vector one{0.0, y[i], y[i + 1]};
            Vector slope(3);
            test::Oscillator(2, x, one, slope);
            f[i] = slope[1];
            f[i + 1] = slope[2];
        }
    };
    const RightHandSide rhs4 = pair;
    const RightHandSide rhs2 = test::Oscillator;
    Dop853Stepper both(4, rhs4, 0.0, Vector{0.0, 0.0, 1.0, 0.6, -0.8}, 1.0005, 0.1, 0.1, 1e6,
                       1e6, true);
    Dop853Stepper first(2, rhs2, 0.0, Vector{0.0, 0.0, 1.0}, 1.0005, 0.1, 0.1, 1e6, 1e6, true);
    Dop853Stepper second(2, rhs2, 0.0, Vector{0.0, 0.6, -0.8}, 1.0005, 0.1, 0.1, 1e6, 1e6, true);
    std::vector<double> together(5), alone(3);
    for (int code = Dop853Accepted; code == Dop853Accepted;) {
        code = both.Step();
        ASSERT_EQ(first.Step(), code);
        ASSERT_EQ(second.Step(), code);
        ASSERT_EQ(both.X(), first.X());
        for (const double s : {0.0, 0.125, 0.5, 0.875, 1.0}) {
            const double x = both.XOld() + s * (both.X() - both.XOld());
            both.Values(x, together);
            for (const auto& [single, offset] : {std::pair{&first, 0}, std::pair{&second, 2}}) {
                single->Values(x, alone);
                for (const int i : {1, 2}) {
                    SCOPED_TRACE(testing::Message() << "x " << x << " component " << i + offset);
                    EXPECT_EQ(together[static_cast<std::size_t>(i + offset)],
                              alone[static_cast<std::size_t>(i)]);
                    EXPECT_EQ(both.Y()[i + offset], single->Y()[i]);
                }
            }
        }
    }
    EXPECT_EQ(both.Accepted(), 10);
}

}  // namespace
}  // namespace orrimar
