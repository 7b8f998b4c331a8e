// The log file and the packet trace: both stay within their size caps, the trace's lines
// carry direction and hex as the replay reads them, and a failure is logged once however
// often a retry loop sets it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/event_log.h"
#include "link/failure_record.h"
#include "link/frame_trace.h"
#include "link/transport_support.h"

namespace kv816 {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(FrameTrace, LinesCarryDirectionAndHexAndStopAtTheCap) {
  test::ScratchFolder folder;
  const std::string path = folder.path() + "/t.trace";
  FrameTrace trace;
  ASSERT_TRUE(trace.open(path, 200));
  const std::vector<uint8_t> frame = {0x80, 0x05, 0x06, 0x00, 0x00, 0x13, 0xC5};
  trace.record(TraceDirection::Out, frame);
  trace.record(TraceDirection::In, std::vector<uint8_t>{0x0A, 0xFF});
  std::string text = readAll(path);
  EXPECT_NE(text.find(" OUT 80 05 06 00 00 13 C5\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" IN 0A FF\n"), std::string::npos) << text;

  for (int i = 0; i < 20; ++i)
    trace.record(TraceDirection::Out, frame);
  text = readAll(path);
  EXPECT_LE(text.size(), 200u);
  EXPECT_NE(text.find("# trace stopped at its size cap\n"), std::string::npos);
  EXPECT_EQ(text.find("# trace stopped"), text.rfind("# trace stopped"));
}

TEST(EventLog, RotatesWithinItsCapAndLogsARepeatedFailureOnce) {
  test::ScratchFolder folder;
  EventLogOptions options;
  options.folder = folder.path();
  options.maxBytes = 2000;
  ASSERT_TRUE(startEventLog(options));
  FailureRecord record;
  for (int i = 0; i < 50; ++i)
    record.set({LinkError::Busy, "/dev/ttyUSB0", 4242});
  logInfo("after the retries");
  std::string first = readAll(logFilePath(folder.path()));
  EXPECT_NE(first.find("/dev/ttyUSB0: busy (another program (PID 4242)"), std::string::npos)
      << first;
  EXPECT_EQ(first.find("ttyUSB0: busy"), first.rfind("ttyUSB0: busy")) << "logged once";

  for (int i = 0; i < 400; ++i)
    logInfo("line " + std::to_string(i));
  stopEventLog();
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    ++files;
    EXPECT_LE(fs::file_size(entry.path()), 2000u) << entry.path();
  }
  EXPECT_EQ(files, 3);
}

} // namespace
} // namespace kv816
