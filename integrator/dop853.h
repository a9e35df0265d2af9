// DOP853: the explicit embedded Runge–Kutta method of order 8 by Dormand and
// Prince (Hairer, Nørsett, Wanner), with error estimators of orders 5 and 3,
// step-size control, a stiffness test and dense output of order 7.
//
// Vectors have N+1 elements; element 0 is never touched. The integrator keeps no
// state outside a call: everything a call needs lives in that call, so any number
// of integrations may run at once, nested or on several threads. x and h are in
// the units of the problem's independent variable.
//
// Error norm: with sk = aTol + rTol·max(|y_i|, |y_new,i|), err5 and err3 the sums
// of the squared scaled estimates of orders 5 and 3,
//   err = |h| · err5 / sqrt(N · (err5 + 0.01 · err3)),
// a step is accepted when err <= 1. After a rejected step the next accepted step
// is not allowed to be longer than the rejected one.
#pragma once

#include "integrator/vector.h"

#include <cmath>
#include <functional>
#include <span>
#include <vector>

namespace orrimar {

class DenseOutput;
struct Dop853Result;
template <class Rhs>
class Dop853Stepper;

// Right-hand side: sets f[1..n] to f(x, y[1..n]).
using RightHandSide = std::function<void(int n, double x, const Vector& y, Vector& f)>;

// Output routine, called after every accepted step (and once before the first):
// nr accepted steps so far, the step ran from xPrev to x, y holds the solution at
// x, dense interpolates within that step (when asked for). Setting stop ends the
// integration with code 2.
using SolutionOutput = std::function<void(int nr, double xPrev, double x, const Vector& y,
                                          int n, const DenseOutput& dense, bool& stop)>;

// Return codes of Dop853.
enum Dop853Code : int {
    Dop853Accepted = 0,     // Dop853Stepper::Step: one step accepted, xEnd not reached yet
    Dop853Reached = 1,      // XEnd reached
    Dop853Stopped = 2,      // stopped by SolOut
    Dop853TooManySteps = -2,
    Dop853StepTooSmall = -3,
    Dop853Stiff = -4,
};

inline constexpr int Dop853MaxSteps = 200000;

// What a call of Dop853 ended with.
struct Dop853Result {
    int Code = 0;          // see Dop853Code
    double X = 0.0;        // where the integration ended (as x after the call)
    double H = 0.0;        // the next step proposed (as h after the call)
    int Steps = 0;         // steps attempted
    int Accepted = 0;      // steps accepted
    int Rejected = 0;      // steps rejected
    int Evaluations = 0;   // calls of the right-hand side, HInit's included
    // The failure's data: -2 the step limit, -3 the step found too small, -4 the x
    // where the problem was found stiff.
    int StepLimit = 0;
    double TooSmallH = 0.0;
    double StiffAt = 0.0;
};

// The dense output of the step just accepted, as the output routine receives it.
// Values is inline: it runs once per output point.
// Valid only during that call of the output routine.
class DenseOutput {
public:
    // False when Dop853 was called without dense output (iOut != 2).
    bool Available() const { return available_; }
    int Size() const { return n_; }
    double XOld() const { return xOld_; }  // start of the last accepted step
    double HOut() const { return hOut_; }  // length of the last accepted step

    // Component i (1..n) at x. Throws std::logic_error("No dense output available.
    // Halt") without dense output and std::out_of_range for i outside 1..n.
    double Value(int i, double x) const;
    // Component i (1..n, unchecked) at the step's start, its change over the step, and a
    // bound on how far it strays from the straight line between: the interpolant is
    // start + s·change + s(1-s)·q(s) with |q| <= the sum of the other coefficients'
    // magnitudes, as its factors s and 1-s lie in [0, 1].
    double Start(int i) const { return coef_[static_cast<std::size_t>(i)]; }
    double Change(int i) const { return coef_[static_cast<std::size_t>(stride_ + i)]; }
    double Bow(int i) const { return BowOf(coef_.data() + i, stride_); }
    // Component i (1..n, unchecked) at the fraction s = (x - XOld()) / HOut() of the step,
    // the same bits as Value(i, x).
    double At(int i, double s) const { return Interpolate(coef_.data() + i, stride_, s); }
    // Bow and At for a caller that knows the size to be N (unchecked): the same bits, with
    // the coefficients at offsets the compiler knows.
    template <int N>
    double Bow(int i) const
    {
        return BowOf(coef_.data() + i, N + 1);
    }
    template <int N>
    double At(int i, double s) const
    {
        return Interpolate(coef_.data() + i, N + 1, s);
    }
    // All components at x into out[1..n]; out[0] is left alone. Throws as Value does,
    // and std::out_of_range when out has fewer than n+1 elements.
    void Values(double x, std::span<double> out) const
    {
        CheckAvailable();
        if (out.size() <= static_cast<std::size_t>(n_))
            ValuesSizeError(out.size());
        const double s = (x - xOld_) / hOut_;
        for (int i = 1; i <= n_; ++i)
            out[static_cast<std::size_t>(i)] = Interpolate(coef_.data() + i, stride_, s);
    }

private:
    template <class Rhs>
    friend class Dop853Stepper;
    DenseOutput(int n, bool available);
    void CheckAvailable() const;
    [[noreturn]] void ValuesSizeError(std::size_t size) const;
    // c[k·stride] is coefficient k of the component.
    static double BowOf(const double* c, int k)
    {
        return 0.25 * (std::abs(c[2 * k]) + std::abs(c[3 * k]) + std::abs(c[4 * k]) +
                       std::abs(c[5 * k]) + std::abs(c[6 * k]) + std::abs(c[7 * k]));
    }
    static double Interpolate(const double* c, int stride, double s)
    {
        const int k = stride;
        const double s1 = 1.0 - s;
        return c[0] +
               s * (c[k] +
                    s1 * (c[2 * k] +
                          s * (c[3 * k] +
                               s1 * (c[4 * k] +
                                     s * (c[5 * k] + s1 * (c[6 * k] + s * c[7 * k]))))));
    }

    bool available_ = false;
    int n_ = 0;
    int stride_ = 0;            // n + 1
    std::vector<double> coef_;  // coefficient k of component i (1..n) at [k·stride + i]
    double xOld_ = 0.0;
    double hOut_ = 0.0;
};

// Integrates y' = fcn(x, y) from x towards xEnd. x, y, h and hMax are updated in
// place; the result repeats x and h and adds the counts and, for the failure codes
// -2, -3 and -4, what failed. Failures are only returned, never printed.
// h = 0 asks for an initial step guess; hMax = 0 means xEnd - x. iOut: 0 no output,
// 1 solOut after each accepted step, 2 as 1 with dense output available.
// Throws std::out_of_range when y has fewer than n+1 elements; an exception from
// fcn or solOut passes through.
Dop853Result Dop853(int n, const RightHandSide& fcn, double& x, Vector& y, double xEnd,
                    double& h, double& hMax, double rTol, double aTol,
                    const SolutionOutput& solOut, int iOut);

// Dop853 over any callables of the signatures of RightHandSide and SolutionOutput,
// called directly in the step loop (integrator/dop853_impl.h); same results. Both are
// drivers of Dop853Stepper, which a caller that decides step by step uses itself.
template <class Rhs, class Out>
Dop853Result Dop853With(int n, const Rhs& fcn, double& x, Vector& y, double xEnd, double& h,
                        double& hMax, double rTol, double aTol, const Out& solOut, int iOut);

// Initial step guess for Dop853 (a signed step in the direction posNeg).
// f0 = fcn(x, y); f1 and yy1 are scratch vectors of n+1 elements.
double HInit(int n, const RightHandSide& fcn, double x, const Vector& y, int posNeg,
             const Vector& f0, Vector& f1, Vector& yy1, double hMax, double aTol, double rTol);

}  // namespace orrimar
