#include "presets/trace_setting.h"

#include "presets/temp_folder.h"

#include <gtest/gtest.h>

namespace kv816 {
namespace {

TEST(TraceSettingTest, SettingsChooseTheFileAndTheCommandLineWins) {
  struct Case {
    const char* lines;
    const char* program;
    const char* commandLine;
    std::string expected; // relative to the log folder "/logs" unless absolute
  };
  const Case cases[] = {
      {"", "kv816", "", ""},
      {"TraceEnabled=0\nTraceFile=/t/x.txt\n", "kv816", "", ""},
      {"TraceEnabled=1\n", "kv816", "", "/logs/trace.txt"},
      {"TraceEnabled=1\n", "kv816ctl", "", "/logs/trace-kv816ctl.txt"},
      {"TraceFile=/t/x.txt\n", "kv816", "", "/t/x.txt"},
      {"TraceFile=/t/x.txt\n", "kv816ctl", "", "/t/x-kv816ctl.txt"},
      {"TraceEnabled=1\nTraceFile=sub/y.log\n", "kv816", "", "/logs/sub/y.log"},
      {"TraceEnabled=0\n", "kv816", "/cli.txt", "/cli.txt"},
      {"TraceEnabled=1\n", "kv816ctl", "/cli.txt", "/cli.txt"},
  };
  for (const Case& c : cases) {
    test::TempFolder dir;
    std::filesystem::create_directories(dir / "FileData");
    test::writeBytes(dir / "FileData" / "Configuration.ini", std::string("[kv816]\n") + c.lines);
    const Settings settings({dir / "FileData", dir / "fallback", "kv816"});
    EXPECT_EQ(traceFileFor(settings, c.program, c.commandLine, "/logs"), c.expected)
        << c.lines << c.program;
  }
}

} // namespace
} // namespace kv816
