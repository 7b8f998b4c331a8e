// Runs the real kv816ctl and checks what its response command writes.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

#ifdef KV816CTL_PATH
int runCtl(const std::string& args, const std::string& stdoutFile) {
  const std::string cmd = std::string(KV816CTL_PATH) + " " + args + " >" + stdoutFile + " 2>&1";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A minimal well-formedness check: every tag closes in order, attribute values are quoted,
// and there is exactly one root element. Returns the names of the elements, in order.
bool parseXml(const std::string& xml, std::vector<std::string>& elements, std::string& error) {
  std::vector<std::string> open;
  int roots = 0;
  size_t pos = 0;
  while ((pos = xml.find('<', pos)) != std::string::npos) {
    if (xml.compare(pos, 2, "<?") == 0) {
      pos = xml.find("?>", pos);
      if (pos == std::string::npos) {
        return error = "unterminated declaration", false;
      }
      continue;
    }
    const size_t end = xml.find('>', pos);
    if (end == std::string::npos) {
      return error = "unterminated tag", false;
    }
    std::string tag = xml.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) {
      return error = "unbalanced quotes in <" + tag + ">", false;
    }
    if (tag.starts_with("/")) {
      if (open.empty() || open.back() != tag.substr(1)) {
        return error = "unexpected </" + tag.substr(1) + ">", false;
      }
      open.pop_back();
      continue;
    }
    const bool selfClosing = tag.ends_with("/");
    const std::string name = tag.substr(0, tag.find_first_of(" /\n"));
    if (open.empty()) {
      ++roots;
    }
    elements.push_back(name);
    if (!selfClosing) {
      open.push_back(name);
    }
  }
  if (!open.empty()) {
    return error = "<" + open.back() + "> never closed", false;
  }
  if (roots != 1) {
    return error = "expected one root element", false;
  }
  return true;
}

class ResponseCommand : public ::testing::Test {
protected:
  void SetUp() override {
#ifndef KV816CTL_PATH
    GTEST_SKIP() << "kv816ctl path not configured";
#endif
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
  }
  // A folder of this test process: ctest runs the cases of this fixture side by side.
  std::string dir = [] {
    const std::string path =
        ::testing::TempDir() + "kv816ctl_response_" + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(path);
    return path;
  }();
  std::string log = dir + "kv816ctl_response.log";
};

#ifdef KV816CTL_PATH
TEST_F(ResponseCommand, SvgIsWellFormed) {
  const std::string svg = dir + "kv816ctl_out1.svg";
  std::remove(svg.c_str());
  ASSERT_EQ(runCtl("response out1 --svg " + svg, log), 0) << readFile(log);
  const std::string text = readFile(svg);
  std::vector<std::string> elements;
  std::string error;
  ASSERT_TRUE(parseXml(text, elements, error)) << error;
  ASSERT_FALSE(elements.empty());
  EXPECT_EQ(elements.front(), "svg");
  EXPECT_EQ(std::count(elements.begin(), elements.end(), "polyline"), 1);  // the flat total
  EXPECT_EQ(std::count(elements.begin(), elements.end(), "line"), 7 + 28); // level + frequency grid
  EXPECT_NE(text.find(">20KHz </text>"), std::string::npos);
  EXPECT_NE(text.find(">+15</text>"), std::string::npos);
}

TEST_F(ResponseCommand, CsvHasOneRowPerTableFrequency) {
  ASSERT_EQ(runCtl("response inB --csv", log), 0);
  std::istringstream csv(readFile(log));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line, "frequency_hz,total_db");
  std::vector<std::string> rows;
  while (std::getline(csv, line)) {
    rows.push_back(line);
  }
  ASSERT_EQ(rows.size(), 363u);
  EXPECT_EQ(rows.front(), "19.0,0.000");
  EXPECT_EQ(rows.back(), "20600.0,0.000");
}

// REW-style text: '*' header, then frequency, level[, phase], levels 80 dB +- 5.
void writeCurve(const std::string& path, int points, double base, bool phase) {
  std::ofstream out(path);
  out << "* Measurement data measured by REW V5.20\n* Freq(Hz), SPL(dB), Phase(degrees)\n";
  for (int i = 0; i < points; ++i) {
    const double f = 15.0 * std::pow(1500.0, i / (points - 1.0));
    out << f << ", " << base + 5.0 * std::sin(i * 0.1);
    if (phase) {
      out << ", " << -i;
    }
    out << '\n';
  }
}

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    std::string cell;
    while (std::getline(fields, cell, ',')) {
      cells.push_back(cell);
    }
    rows.push_back(cells);
  }
  return rows;
}

TEST_F(ResponseCommand, PredictedIsMeasuredPlusTheChannelsResponse) {
  const std::string jib = dir + "kv816ctl_measured.jib";
  const std::string eq = dir + "kv816ctl_measured_eq.txt";
  std::remove(jib.c_str());
  std::ofstream(eq) << "# high-pass: Linkwitz-Riley 24 dB/oct\nFilter 1: ON HP Fc 60 Hz\n"
                       "Filter 2: ON PK Fc 1000 Hz Gain -6 dB Q 2\n"
                       "Filter 3: ON HSC Fc 8000 Hz Gain 4 dB Q 0.7\n";
  ASSERT_EQ(runCtl("--demo export " + jib, log), 0) << readFile(log);
  ASSERT_EQ(runCtl("peq import out3 " + eq + " --into " + jib, log), 0) << readFile(log);
  const std::string measured = dir + "kv816ctl_measured.txt";
  const std::string target = dir + "kv816ctl_target.txt";
  writeCurve(measured, 400, 80.0, true);
  writeCurve(target, 50, 0.0, false);

  ASSERT_EQ(runCtl("response out3 --from " + jib + " --measurement " + measured + " --target " +
                       target + " --offset -80 --csv",
                   log),
            0)
      << readFile(log);
  const auto rows = csvRows(readFile(log));
  ASSERT_EQ(rows.size(), 401u); // header and every point below 24 kHz
  const std::vector<std::string>& head = rows[0];
  ASSERT_GE(head.size(), 5u);
  const size_t m = head.size() - 3;
  EXPECT_EQ(head[1], "total_db");
  EXPECT_EQ(std::vector<std::string>(head.begin() + m, head.end()),
            (std::vector<std::string>{"measured", "predicted", "target"}));
  double deepest = 0.0;
  int targetCells = 0;
  for (size_t r = 1; r < rows.size(); ++r) {
    const auto& row = rows[r];
    const double total = std::stod(row[1]);
    EXPECT_NEAR(std::stod(row[m]), 5.0 * std::sin((r - 1) * 0.1), 0.002) << r;
    EXPECT_NEAR(std::stod(row[m + 1]), std::stod(row[m]) + total, 0.01) << r;
    // The target file spans the same band with fewer points; outside it the cell is empty.
    targetCells += row.size() > m + 2 && !row[m + 2].empty();
    deepest = std::min(deepest, total);
  }
  EXPECT_LT(deepest, -20.0);
  EXPECT_GT(targetCells, 390);
}

TEST_F(ResponseCommand, MeasurementSvgAddsThreeTracesAndTheMeasuredAxis) {
  const std::string measured = dir + "kv816ctl_measured_svg.txt";
  writeCurve(measured, 100, 80.0, false);
  const std::string svg = dir + "kv816ctl_measured.svg";
  ASSERT_EQ(runCtl("response out1 --measurement " + measured +
                       " --tilt -1:100:10000 --offset -80 --svg " + svg,
                   log),
            0)
      << readFile(log);
  const std::string text = readFile(svg);
  std::vector<std::string> elements;
  std::string error;
  ASSERT_TRUE(parseXml(text, elements, error)) << error;
  EXPECT_EQ(std::count(elements.begin(), elements.end(), "polyline"), 4);
  EXPECT_NE(text.find(">95</text>"), std::string::npos); // +15 on the left is 95 dB measured
}

TEST_F(ResponseCommand, BadMeasurementNamesTheLineAndWritesNothing) {
  const std::string measured = dir + "kv816ctl_bad.txt";
  std::ofstream(measured) << "* header\n20 80\n30 81\n25 82\n";
  const std::string svg = dir + "kv816ctl_bad.svg";
  std::remove(svg.c_str());
  EXPECT_EQ(runCtl("response out1 --measurement " + measured + " --svg " + svg, log), 3);
  EXPECT_NE(readFile(log).find("line 4: frequencies must rise"), std::string::npos)
      << readFile(log);
  EXPECT_FALSE(std::ifstream(svg).good());
  writeCurve(measured, 20, 80.0, false);
  EXPECT_EQ(runCtl("response out1 --measurement " + measured + " --tilt 1:500:100 --csv", log), 1);
  EXPECT_NE(readFile(log).find("FROM below TO"), std::string::npos) << readFile(log);
}

TEST_F(ResponseCommand, RejectsBadInput) {
  EXPECT_NE(runCtl("response out9", log), 0);
  EXPECT_NE(runCtl("response in5 --csv", log), 0);
  EXPECT_EQ(runCtl("response out2 --geq", log), 1);
  EXPECT_NE(runCtl("response out1 --csv --svg " + dir + "x.svg", log), 0);
  EXPECT_NE(runCtl("response out1 --from " + dir + "no_such_preset.jib", log), 0);
  EXPECT_NE(readFile(log).find("cannot read preset file"), std::string::npos);
}
#endif

} // namespace
