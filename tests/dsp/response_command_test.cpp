// Runs the real kv816ctl and checks what its response command writes.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
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
  std::string dir = ::testing::TempDir();
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
