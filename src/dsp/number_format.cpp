#include "dsp/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace kv816 {
namespace {

struct Conversion {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  int width = 0;
  int precision = 6;
};

// Parses flags, width and precision after a '%'; returns the position of the conversion
// character.
size_t parseConversion(std::string_view f, size_t pos, Conversion& c) {
  for (; pos < f.size(); ++pos) {
    const char ch = f[pos];
    if (ch == '-') {
      c.left = true;
    } else if (ch == '+') {
      c.plus = true;
    } else if (ch == ' ') {
      c.space = true;
    } else if (ch == '#') {
      c.alternate = true;
    } else if (ch == '0') {
      c.zero = true;
    } else {
      break;
    }
  }
  for (; pos < f.size() && f[pos] >= '0' && f[pos] <= '9'; ++pos) {
    c.width = std::min(c.width * 10 + (f[pos] - '0'), 1000);
  }
  if (pos < f.size() && f[pos] == '.') {
    c.precision = 0;
    for (++pos; pos < f.size() && f[pos] >= '0' && f[pos] <= '9'; ++pos) {
      c.precision = std::min(c.precision * 10 + (f[pos] - '0'), 300);
    }
  }
  if (pos < f.size() && f[pos] == 'l') {
    ++pos; // "%lf" means the same as "%f"
  }
  return pos;
}

std::string renderFixed(double value, const Conversion& c, bool upper) {
  char buf[400];
  const double magnitude = std::fabs(value);
  std::string digits;
  if (std::isnan(magnitude)) {
    digits = upper ? "NAN" : "nan";
  } else if (std::isinf(magnitude)) {
    digits = upper ? "INF" : "inf";
  } else {
    auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, c.precision);
    digits.assign(buf, res.ptr);
    if (c.alternate && c.precision == 0) {
      digits += '.';
    }
  }
  std::string sign;
  if (std::signbit(value) && !std::isnan(value)) {
    sign = "-";
  } else if (c.plus) {
    sign = "+";
  } else if (c.space) {
    sign = " ";
  }
  const size_t used = sign.size() + digits.size();
  const size_t pad = c.width > static_cast<int>(used) ? c.width - used : 0;
  if (c.left) {
    return sign + digits + std::string(pad, ' ');
  }
  if (c.zero && std::isfinite(value)) {
    return sign + std::string(pad, '0') + digits;
  }
  return std::string(pad, ' ') + sign + digits;
}

} // namespace

std::string formatNumber(std::string_view format, double value) {
  return formatNumbers(format, std::span<const double>(&value, 1));
}

std::string formatNumbers(std::string_view format, std::span<const double> values) {
  std::string out;
  size_t next = 0;
  size_t pos = 0;
  while (pos < format.size()) {
    const size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    if (percent + 1 < format.size() && format[percent + 1] == '%') {
      out += '%';
      pos = percent + 2;
      continue;
    }
    Conversion c;
    const size_t at = parseConversion(format, percent + 1, c);
    if (at < format.size() && (format[at] == 'f' || format[at] == 'F')) {
      const double value = values.empty() ? 0.0 : values[std::min(next, values.size() - 1)];
      ++next;
      out += renderFixed(value, c, format[at] == 'F');
      pos = at + 1;
    } else {
      out.append(format.substr(percent, at - percent));
      pos = at;
    }
  }
  return out;
}

bool readLeadingDecimal(std::string_view text, double& value) {
  value = 0.0;
  const char* first = text.data();
  const char* last = first + text.size();
  double parsed = 0.0;
  const auto res = std::from_chars(first, last, parsed, std::chars_format::fixed);
  if (res.ec == std::errc::invalid_argument) {
    return false;
  }
  if (res.ec == std::errc::result_out_of_range) {
    // Only a very long run of digits gets here: huge before the point, or tiny after it.
    const bool negative = text.front() == '-';
    bool huge = false;
    for (const char* p = first; p < res.ptr && *p != '.'; ++p) {
      huge = huge || (*p >= '1' && *p <= '9');
    }
    value = huge ? (negative ? -HUGE_VAL : HUGE_VAL) : 0.0;
    return true;
  }
  value = parsed;
  return true;
}

} // namespace kv816
