#pragma once
// A small JSON reader for the simulator's own state files: objects, arrays, strings
// (\uXXXX escapes up to U+00FF come back as single bytes), numbers, true, false, null.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv816 {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0.0;
  std::string string;
  std::vector<JsonValue> array;
  std::map<std::string, JsonValue> object;

  // The member `key` of an object, or nullptr.
  const JsonValue* find(const std::string& key) const;
};

// Parses a whole document. Nothing (and `error` set) on malformed input or nesting deeper
// than 32 levels.
std::optional<JsonValue> parseJson(std::string_view text, std::string& error);

} // namespace kv816
