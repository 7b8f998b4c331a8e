#include "dsp/number_format.h"

#include <cmath>
#include <cstdio>
#include <locale>

#include <gtest/gtest.h>

namespace kv816 {
namespace {

std::string viaPrintf(const char* format, double value) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

TEST(FormatNumber, MatchesPrintfUnderTheCLocale) {
  const char* formats[] = {"%0.0f",    "%0.1f", "%0.2f", "%0.1fms", "%0.2fm", "%0.1fin", "%0.0fdBu",
                           "x%0.1fms", "+%.0f", "%.0f",  "%0.1fdB", "%f",     "%8.3f",   "%-8.1f|",
                           "%+08.2f",  "% .1f", "%#.0f", "100%%",   "%F"};
  const double values[] = {
      0.0, -0.0, 0.05,  0.15,  0.25,  -0.04,  2.9000000000000004, 1.5, -36.0, 12.35, 6811.02,
      1e7, -2.5, 0.125, 99.95, 128.0, 1.0034, 9.535433070866142};
  for (const char* f : formats) {
    for (double v : values) {
      EXPECT_EQ(formatNumber(f, v), viaPrintf(f, v)) << f << " " << v;
    }
  }
}

// A program-wide locale with a decimal comma must not change the text.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(FormatNumber, IgnoresTheGlobalLocale) {
  const std::locale saved =
      std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  const std::string text = formatNumber("%0.2fm", 1.25);
  std::locale::global(saved);
  EXPECT_EQ(text, "1.25m");
}

TEST(FormatNumber, SeveralValuesInOrder) {
  const double values[] = {47.5, 1.5, -3.0};
  EXPECT_EQ(formatNumbers("F:%0.1f Q:%0.2f G:%0.1f", values), "F:47.5 Q:1.50 G:-3.0");
  EXPECT_EQ(formatNumbers("%0.0f/%0.0f/%0.0f", std::span<const double>(values, 2)), "48/2/2");
  EXPECT_EQ(formatNumbers("%0.1f", {}), "0.0");
}

TEST(FormatNumber, UnknownConversionIsCopiedLiterally) {
  EXPECT_EQ(formatNumber("EQ%d", 3.0), "EQ%d");
  EXPECT_EQ(formatNumber("50%", 3.0), "50%");
}

TEST(ReadLeadingDecimal, Cases) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"12.5", true, 12.5}, {"1.2.3", true, 1.2}, {"1-2", true, 1.0},  {"-3.7", true, -3.7},
      {"-", false, 0.0},    {"", false, 0.0},     {".", false, 0.0},   {".5", true, 0.5},
      {"-.5", true, -0.5},  {"3.", true, 3.0},    {"--5", false, 0.0}, {"007", true, 7.0},
  };
  for (const Case& c : cases) {
    double v = -1.0;
    EXPECT_EQ(readLeadingDecimal(c.text, v), c.ok) << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
}

TEST(ReadLeadingDecimal, DigitsBeyondADoubleSaturate) {
  double v = 0.0;
  EXPECT_TRUE(readLeadingDecimal(std::string(400, '9'), v));
  EXPECT_EQ(v, HUGE_VAL);
  EXPECT_TRUE(readLeadingDecimal("-" + std::string(400, '9'), v));
  EXPECT_EQ(v, -HUGE_VAL);
  EXPECT_TRUE(readLeadingDecimal("0." + std::string(400, '0') + "1", v));
  EXPECT_EQ(v, 0.0);
}

} // namespace
} // namespace kv816
