#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "presets/settings_folders.h"

namespace kv816 {
namespace {

// Sets (or, given "", removes) one environment variable and puts it back afterwards.
class ScopedVariable {
public:
  ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
    if (const wchar_t* old = ::_wgetenv(name))
      old_ = old;
    ::_wputenv_s(name, value);
  }
  ~ScopedVariable() { ::_wputenv_s(name_, old_ ? old_->c_str() : L""); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
  const wchar_t* name_;
  std::optional<std::wstring> old_;
};

TEST(FallbackFolderOnWindows, RoamingApplicationDataThenLocalThenRelative) {
  struct Case {
    const wchar_t* appData;
    const wchar_t* localAppData;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\Users\\u\\AppData\\Roaming", L"C:\\Users\\u\\AppData\\Local",
       L"C:\\Users\\u\\AppData\\Roaming\\kv816"},
      {L"", L"C:\\Users\\u\\AppData\\Local", L"C:\\Users\\u\\AppData\\Local\\kv816"},
      {L"", L"", L"kv816"},
  };
  for (const Case& c : cases) {
    ScopedVariable appData(L"APPDATA", c.appData);
    ScopedVariable localAppData(L"LOCALAPPDATA", c.localAppData);
    EXPECT_EQ(fallbackFolder(), std::filesystem::path(c.expected));
  }
}

} // namespace
} // namespace kv816
