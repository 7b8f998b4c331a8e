#pragma once
// A small INI document: "[section]" headers and "key=value" lines. Every line that is not
// touched by setValue is written back exactly as it was read, so other sections, other
// keys, comments and even malformed lines survive a rewrite. Lookups ignore ASCII case, as
// the classic profile routines do; the first matching section and key win.
//
// Not thread-safe; one object per read-modify-write, on any thread.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv816 {

class IniFile {
public:
  // Larger files are not settings files; load() refuses them.
  static constexpr size_t MAX_FILE_SIZE = 1 << 20;

  // Replaces the document with the file's contents. A missing, unreadable or oversized file
  // leaves an empty document and returns false. Any bytes are accepted.
  bool load(const std::filesystem::path& path);
  void parse(std::string_view text);

  // The trimmed text after '=' of the key in the section; nothing when absent.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // The value as a decimal integer (optional sign, then digits; text after the digits is
  // ignored). Nothing when absent, not a number or out of int range.
  std::optional<int> intValue(std::string_view section, std::string_view key) const;

  // Sets the key, adding the key or the section at its end when missing. Line breaks in
  // the value are replaced by spaces so a value can never add lines.
  void setValue(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;
  // Writes the document through a temporary file renamed into place. Returns success.
  bool save(const std::filesystem::path& path) const;

private:
  struct Span {
    size_t begin; // index of the section header line, or lines_.size() when absent
    size_t end;   // one past the section's last line
  };
  Span findSection(std::string_view section) const;
  std::optional<size_t> findKey(const Span& span, std::string_view key) const;

  std::vector<std::string> lines_;
  bool byteOrderMark_ = false;
  bool crlf_ = false;
};

} // namespace kv816
