#include "integrator/dop853.h"

#include "integrator/dop853_impl.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace orrimar {

namespace dop853_detail {
constinit const Weights<Lane2> laneWeights{};
}  // namespace dop853_detail

double HInit(int n, const RightHandSide& fcn, double x, const Vector& Y, int posNeg,
             const Vector& F0, Vector& F1, Vector& YY1, double hMax, double aTol, double rTol)
{
    return HInitWith(n, fcn, x, Y, posNeg, F0, F1, YY1, hMax, aTol, rTol);
}

Dop853Result Dop853(int n, const RightHandSide& fcn, double& x, Vector& Y, double xEnd,
                    double& h, double& hMax, double rTol, double aTol,
                    const SolutionOutput& solOut, int iOut)
{
    return Dop853With(n, fcn, x, Y, xEnd, h, hMax, rTol, aTol, solOut, iOut);
}

DenseOutput::DenseOutput(int n, bool available)
    : available_(available), n_(n), stride_(n + 1),
      coef_(available ? 8 * static_cast<std::size_t>(n + 1) : 0, 0.0)
{
}

void DenseOutput::CheckAvailable() const
{
    if (!available_)
        throw std::logic_error("No dense output available. Halt");
}

double DenseOutput::Value(int i, double x) const
{
    CheckAvailable();
    if (i < 1 || i > n_)
        throw std::out_of_range("DenseOutput: component " + std::to_string(i) + " outside 1.." +
                                std::to_string(n_));
    return Interpolate(coef_.data() + i, stride_, (x - xOld_) / hOut_);
}

void DenseOutput::ValuesSizeError(std::size_t size) const
{
    throw std::out_of_range("DenseOutput: the output needs " + std::to_string(n_ + 1) +
                            " elements, has " + std::to_string(size));
}

}  // namespace orrimar
