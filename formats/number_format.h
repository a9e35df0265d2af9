// The program's number-to-text formats (pattern formats, the status-bar formats, the elapsed
// time in days and hours) with "." as decimal separator whatever the locale; and rounding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orrimar {

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 ->
// -0); infinities and NaN stay as they are. Relies on the default floating-point rounding
// mode, which the program never changes.
long double RoundHalfEven(long double value);
double RoundHalfEven(double value);

// Formats value by a picture pattern of up to three sections "positive;negative;zero".
// In a section: "0" a digit always written, "#" a digit written only when significant,
// the first "." places the decimal point, text in '...' or "..." and every other
// character are copied as they are. A negative value without its own section gets a
// leading "-"; a missing or empty section falls back to the first; a value that
// rounds to zero uses the zero section. Decimals are rounded half away from zero on the
// exact decimal value of the double, to at most 18 significant digits: 0.125 with two
// decimals gives 0.13, while 2.675 (stored as 2.67499999...) gives 2.67.
// Values of 1e18 and above, infinities, NaN and an empty first section give the
// general 15-digit form ("1E18", "INF", "NAN"). Thousands separators and exponent
// pictures are not supported: "," is skipped and "E" is copied as a literal.
std::string FormatFloat(std::string_view pattern, double value);

// "%13.4E": four significant digits, capital E, exponent sign always and at least three
// exponent digits, right-aligned in 13 characters: 0.0000123456 -> "   1.235E-005".
std::string FormatExp13_4(double value);

// "%8.4f": four decimals, right-aligned in 8 characters: 10.954 -> " 10.9540".
std::string FormatFixed8_4(double value);

// The status bar's "Jacobi 0": the Jacobi integral at launch as "##.#####" (2.64671), the
// one text of it that the window, the Explorer's report and orrimar-flight all show.
std::string Jacobi0Text(double jacobi0);

// Elapsed time as "<whole days> - <hours>", the hours rounded (halves to even) and shown
// with at least two digits: 4.3483775607859993 days -> "4 - 08", 0.99578 days -> "0 - 24".
std::string TimeText(double days);

// The three formats above written into out, which holds MaxFormattedLength chars;
// return the length. No heap allocation for the values a flight produces.
inline constexpr std::size_t MaxFormattedLength = 400;
std::size_t FormatExp13_4To(double value, char* out);
std::size_t FormatFixed8_4To(double value, char* out);
std::size_t TimeTextTo(double days, char* out);

// The same formats through the exact decimal expansion, as the fast paths are checked
// against.
std::string FormatExp13_4Reference(double value);
std::string FormatFixed8_4Reference(double value);
std::string TimeTextReference(double days);

}  // namespace orrimar
