#include "link/event_log.h"

#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>

namespace kv816 {
namespace {

std::mutex logMutex;
std::shared_ptr<spdlog::logger> theLog;

std::shared_ptr<spdlog::logger> currentLog() {
  std::lock_guard lock(logMutex);
  return theLog;
}

} // namespace

std::string defaultLogFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
    return std::string(state) + "/kv816";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/state/kv816";
}

std::string logFilePath(const std::string& folder) {
  return (folder.empty() ? defaultLogFolder() : folder) + "/kv816.log";
}

bool startEventLog(const EventLogOptions& options) {
  const std::string path = logFilePath(options.folder);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::shared_ptr<spdlog::logger> log;
  try { // the library reports a file it cannot open by throwing; nothing else here throws
    auto file = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(path, options.maxBytes,
                                                                       options.files - 1);
    log = std::make_shared<spdlog::logger>("kv816", file);
    if (options.verbose)
      log->sinks().push_back(std::make_shared<spdlog::sinks::stderr_color_sink_mt>());
  } catch (const spdlog::spdlog_ex&) {
    return false;
  }
  log->set_pattern("%Y-%m-%d %H:%M:%S.%e %l [%t] %v");
  log->set_level(options.verbose ? spdlog::level::debug : spdlog::level::info);
  log->flush_on(spdlog::level::info);
  std::lock_guard lock(logMutex);
  theLog = std::move(log);
  return true;
}

void stopEventLog() {
  std::lock_guard lock(logMutex);
  theLog.reset();
}

void logInfo(const std::string& text) {
  if (auto log = currentLog())
    log->info(text);
}

void logWarning(const std::string& text) {
  if (auto log = currentLog())
    log->warn(text);
}

void logDebug(const std::string& text) {
  if (auto log = currentLog())
    log->debug(text);
}

} // namespace kv816
