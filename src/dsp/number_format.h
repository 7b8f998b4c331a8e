#pragma once
// Locale-free printf-style formatting and reading of one number.
//
// The controls show values through printf formats such as "%0.1fms"; the text must be the
// same on every machine, so these never consult the C or C++ locale: the decimal mark is
// always a point. Pure functions, callable from any thread.

#include <string>
#include <string_view>

namespace kv816 {

// Renders `format` with one double, as printf would under the "C" locale. Supported
// conversions: %f and %F with the flags '-', '+', ' ', '#', '0', a width and a precision
// (default 6); "%%" prints a percent sign. Any other conversion is copied as literal text,
// and every conversion in the format takes the same value.
std::string formatNumber(std::string_view format, double value);

// Reads the longest leading decimal number of `text` ("-12.5", ".5", "3."; no exponent, no
// leading '+'). Returns false and leaves `value` at 0 when there is none. Digits beyond the
// range of a double give +/-HUGE_VAL.
bool readLeadingDecimal(std::string_view text, double& value);

} // namespace kv816
