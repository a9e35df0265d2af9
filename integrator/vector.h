// A real vector of N+1 elements whose index 0 is left unused, as the integrator
// and the Earth–Moon model exchange them. Every index is checked: an index
// outside the vector throws std::out_of_range instead of touching memory.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace orrimar {

class Vector {
public:
    Vector() = default;
    // A zero-filled vector of `length` elements (indices 0 … length-1).
    explicit Vector(int length) : values_(CheckedLength(length), 0.0) {}
    Vector(std::initializer_list<double> values) : values_(values) {}

    double& operator[](int i) { return values_[Checked(i)]; }
    double operator[](int i) const { return values_[Checked(i)]; }

    int Length() const { return static_cast<int>(values_.size()); }

    // Unchecked access for loops whose bounds were checked once against Length().
    double* Data() { return values_.data(); }
    const double* Data() const { return values_.data(); }

    // All elements, index 0 included, for code that takes plain spans.
    std::span<double> Span() { return values_; }
    std::span<const double> Span() const { return values_; }

    bool operator==(const Vector&) const = default;

private:
    static std::size_t CheckedLength(int length)
    {
        if (length < 0)
            throw std::length_error("Vector length " + std::to_string(length) + " is negative");
        return static_cast<std::size_t>(length);
    }

    std::size_t Checked(int i) const
    {
        if (i < 0 || static_cast<std::size_t>(i) >= values_.size())
            throw std::out_of_range("Range check error: index " + std::to_string(i) +
                                    " outside 0.." + std::to_string(Length() - 1));
        return static_cast<std::size_t>(i);
    }

    std::vector<double> values_;
};

}  // namespace orrimar
