#pragma once
// The fuzz targets' assertion: names the broken property's line and aborts, so that
// libFuzzer keeps the input as a crash.

#include <cstdio>
#include <cstdlib>

namespace kv816::fuzz {

// The default arguments take the caller's position (clang and GCC builtins).
inline void check(bool ok, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (ok)
    return;
  std::fprintf(stderr, "property broken at %s:%d\n", file, line);
  std::abort();
}

} // namespace kv816::fuzz
