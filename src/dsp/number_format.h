#pragma once
// Locale-free printf-style formatting and reading of one number.
//
// The controls show values through printf formats such as "%0.1fms"; the text must be the
// same on every machine, so these never consult the C or C++ locale: the decimal mark is
// always a point. Pure functions, callable from any thread.

#include <span>
#include <string>
#include <string_view>

namespace kv816 {

// Renders `format` with one double, as printf would under the "C" locale. Supported
// conversions: %f and %F with the flags '-', '+', ' ', '#', '0', a width and a precision
// (default 6); "%%" prints a percent sign. Any other conversion is copied as literal text.
std::string formatNumber(std::string_view format, double value);

// The same with several values, taken by the conversions in order ("F:%0.1f Q:%0.2f");
// when the values run out the last one is used again, and with none every value is 0.
std::string formatNumbers(std::string_view format, std::span<const double> values);

// Reads the longest leading decimal number of `text` ("-12.5", ".5", "3."; no exponent, no
// leading '+'). Returns false and leaves `value` at 0 when there is none. Digits beyond the
// range of a double give +/-HUGE_VAL.
bool readLeadingDecimal(std::string_view text, double& value);

} // namespace kv816
