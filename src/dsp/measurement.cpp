#include "dsp/measurement.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

namespace kv816 {
namespace {

constexpr size_t MAX_COLUMNS = 3;

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r';
}

// The numbers of a data line, or nothing when a field is not a finite number.
std::optional<std::vector<double>> numbers(std::string_view line) {
  std::vector<double> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSeparator(line[i])) {
      ++i;
    }
    if (i == line.size()) {
      break;
    }
    size_t end = i;
    while (end < line.size() && !isSeparator(line[end])) {
      ++end;
    }
    const char* first = line.data() + i;
    const char* last = line.data() + end;
    if (*first == '+') {
      ++first;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) {
      return std::nullopt;
    }
    out.push_back(value);
    i = end;
  }
  return out;
}

bool isComment(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return true;
  }
  const char c = line[first];
  return c == '*' || c == '#' || c == ';' || c == '"';
}

std::string atLine(int line, const std::string& what) {
  return "line " + std::to_string(line) + ": " + what;
}

std::string excerpt(std::string_view line) {
  constexpr size_t SHOWN = 40;
  std::string s(line.substr(0, SHOWN));
  std::replace_if(
      s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return line.size() > SHOWN ? s + "..." : s;
}

// Checks one data line against the points before it; returns the error text or empty.
std::string addPoint(const std::vector<double>& v, Measurement& m, size_t& columns) {
  if (v.size() < 2 || v.size() > MAX_COLUMNS) {
    return "expected frequency, level and optionally phase";
  }
  if (columns == 0) {
    columns = v.size();
  } else if (v.size() != columns) {
    return "expected " + std::to_string(columns) + " numbers like the lines before";
  }
  if (v[0] <= 0.0) {
    return "frequency must be above 0 Hz";
  }
  if (!m.frequencies.empty() && v[0] <= m.frequencies.back()) {
    return v[0] == m.frequencies.back() ? "frequency repeats the line before"
                                        : "frequencies must rise from line to line";
  }
  m.frequencies.push_back(v[0]);
  m.levels.push_back(v[1]);
  if (columns == MAX_COLUMNS) {
    m.phases.push_back(v[2]);
  }
  return {};
}

} // namespace

MeasurementRead parseMeasurement(std::string_view text) {
  MeasurementRead out;
  if (text.size() > MEASUREMENT_MAX_BYTES) {
    out.error = "the file is larger than 10 MB";
    return out;
  }
  size_t columns = 0;
  int number = 0;
  // Editors on some systems put a byte order mark in front of the first line.
  size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (isComment(line)) {
      continue;
    }
    const std::optional<std::vector<double>> v = numbers(line);
    const std::string error =
        v ? addPoint(*v, out.measurement, columns) : "not a line of numbers: " + excerpt(line);
    if (!error.empty()) {
      out.measurement = {};
      out.error = atLine(number, error);
      return out;
    }
  }
  if (out.measurement.frequencies.size() < MEASUREMENT_MIN_POINTS) {
    out.error = std::to_string(out.measurement.frequencies.size()) +
                " points; a measurement needs at least " + std::to_string(MEASUREMENT_MIN_POINTS);
    out.measurement = {};
  }
  return out;
}

MeasurementRead readMeasurementFile(const std::string& path) {
  MeasurementRead out;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    out.error = "cannot read " + path;
    return out;
  }
  if (size > MEASUREMENT_MAX_BYTES) {
    out.error = "the file is larger than 10 MB";
    return out;
  }
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file && !file.eof()) {
    out.error = "cannot read " + path;
    return out;
  }
  return parseMeasurement(text);
}

double measuredLevelAt(const Measurement& m, double frequency) {
  const std::vector<double>& f = m.frequencies;
  if (f.empty() || !(frequency >= f.front() && frequency <= f.back())) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const auto upper = std::lower_bound(f.begin(), f.end(), frequency);
  const size_t hi = static_cast<size_t>(upper - f.begin());
  if (f[hi] == frequency) {
    return m.levels[hi];
  }
  const size_t lo = hi - 1;
  const double t = std::log(frequency / f[lo]) / std::log(f[hi] / f[lo]);
  return m.levels[lo] + t * (m.levels[hi] - m.levels[lo]);
}

} // namespace kv816
