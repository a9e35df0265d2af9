// The values of a scan, FROM, FROM+STEP, … up to TO, taken from the decimal texts the
// user typed: each value is exactly the decimal it stands for, so that a printed value
// typed in again flies the same flight.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace orrimar {

inline constexpr int MaxScanValues = 1000000;
inline constexpr double MaxScanMagnitude = 1e6;
inline constexpr int MaxScanDecimals = 12;  // below 1e-12 a scan is not meaningful

// A decimal number as typed: Units · 10^−Decimals, Decimals ≥ 0 and as small as the text
// allows ("1.50" and "15e-1" give 15 and 1).
struct DecimalNumber {
    long long Units = 0;
    int Decimals = 0;
};

// The text as a decimal number, in the syntax of the launch fields' strict conversion
// (blanks, sign, digits with one ".", exponent); none when it is not one, has more than
// MaxScanDecimals decimals or lies beyond ±MaxScanMagnitude.
std::optional<DecimalNumber> ParseDecimalNumber(std::string_view text);

// The double nearest to units · 10^−decimals.
double DecimalToDouble(long long units, int decimals);

// Throws std::invalid_argument, its message without the option's name, for a text that is
// not a number ("'x' is not a number"), values beyond ±1000000, more than 12 decimals, a
// step that is not positive or below 1e-9, a reversed or empty range, or more than
// MaxScanValues values.
std::vector<double> ScanValues(std::string_view from, std::string_view to, std::string_view step);

}  // namespace orrimar
