// DOP853: the explicit embedded Runge–Kutta method of order 8 by Dormand and
// Prince (Hairer, Nørsett, Wanner), with error estimators of orders 5 and 3,
// step-size control, a stiffness test and dense output of order 7.
//
// Vectors have N+1 elements; element 0 is never touched. One integration runs at
// a time on each thread: the dense-output table and the last step's start and
// length are per-thread state that `Contd8` reads during a call of `Dop853`.
#pragma once

#include "integrator/vector.h"

#include <functional>

namespace orrimar {

// Right-hand side: sets f[1..n] to f(x, y[1..n]).
using RightHandSide = std::function<void(int n, double x, const Vector& y, Vector& f)>;

// Output routine, called after every accepted step (and once before the first):
// nr accepted steps so far, the step ran from xPrev to x, y holds the solution at
// x. Setting stop ends the integration with return code 2.
using SolutionOutput =
    std::function<void(int nr, double xPrev, double x, const Vector& y, int n, bool& stop)>;

// Return codes of Dop853.
enum Dop853Code : int {
    Dop853Reached = 1,      // XEnd reached
    Dop853Stopped = 2,      // stopped by SolOut
    Dop853TooManySteps = -2,
    Dop853StepTooSmall = -3,
    Dop853Stiff = -4,
};

inline constexpr int Dop853MaxSteps = 200000;

// Integrates y' = fcn(x, y) from x towards xEnd. x, y, h and hMax are updated in
// place (see the return codes above). h = 0 asks for an initial step guess;
// hMax = 0 means xEnd - x. iOut: 0 no output, 1 SolOut after each accepted step,
// 2 as 1 with dense output available through Contd8. Failures (codes -2, -3, -4)
// are reported through the report hook (dop853_report.h) before returning.
// Throws std::logic_error when called while another call runs on this thread, and
// std::out_of_range when y has fewer than n+1 elements.
int Dop853(int n, const RightHandSide& fcn, double& x, Vector& y, double xEnd, double& h,
           double& hMax, double rTol, double aTol, const SolutionOutput& solOut, int iOut);

// Initial step guess for Dop853 (a signed step in the direction posNeg).
// f0 = fcn(x, y); f1 and yy1 are scratch vectors of n+1 elements.
double HInit(int n, const RightHandSide& fcn, double x, const Vector& y, int posNeg,
             const Vector& f0, Vector& f1, Vector& yy1, double hMax, double aTol, double rTol);

// Component i (1..n) of the dense output at x, during a Dop853 call with iOut = 2.
// Without dense output it reports "No dense output available. Halt" and ends the
// program. Throws std::out_of_range for a component outside 1..n.
double Contd8(int i, double x);

// Per-thread state shared with Contd8, readable for observers and tests.
bool DenseOn();
double XOld();  // start of the last accepted step
double HOut();  // length of the last accepted step

}  // namespace orrimar
