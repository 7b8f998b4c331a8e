#include "presets/ini_file.h"

#include "presets/file_system.h"

#include <charconv>
#include <cstdint>

namespace kv816 {
namespace {

constexpr std::string_view BOM = "\xEF\xBB\xBF";
constexpr std::string_view SPACE = " \t\r\n\v\f";

std::string_view trim(std::string_view s) {
  const size_t first = s.find_first_not_of(SPACE);
  if (first == std::string_view::npos) {
    return {};
  }
  const size_t last = s.find_last_not_of(SPACE);
  return s.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The name of a "[name]" header line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
  const std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') {
    return std::nullopt;
  }
  const size_t close = t.find(']');
  if (close == std::string_view::npos) {
    return std::nullopt;
  }
  return trim(t.substr(1, close - 1));
}

bool isComment(std::string_view t) {
  return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Splits a "key=value" line; nothing for comments and lines without '=' or without a key.
std::optional<std::pair<std::string_view, std::string_view>> keyValue(std::string_view line) {
  const std::string_view t = trim(line);
  const size_t eq = t.find('=');
  if (isComment(t) || eq == std::string_view::npos || eq == 0) {
    return std::nullopt;
  }
  return std::make_pair(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
}

std::string oneLine(std::string_view value) {
  std::string s(value);
  for (char& c : s) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  return s;
}

} // namespace

bool IniFile::load(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes;
  if (readWholeFile(path, bytes, MAX_FILE_SIZE) != FileReadStatus::Ok) {
    parse({});
    return false;
  }
  parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return true;
}

void IniFile::parse(std::string_view text) {
  lines_.clear();
  byteOrderMark_ = text.starts_with(BOM);
  if (byteOrderMark_) {
    text.remove_prefix(BOM.size());
  }
  const size_t firstBreak = text.find('\n');
  crlf_ = firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r';
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    lines_.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

IniFile::Span IniFile::findSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i]);
    if (!name || !equalsIgnoringCase(*name, section)) {
      continue;
    }
    size_t end = i + 1;
    while (end < lines_.size() && !sectionName(lines_[end])) {
      ++end;
    }
    return {i, end};
  }
  return {lines_.size(), lines_.size()};
}

std::optional<size_t> IniFile::findKey(const Span& span, std::string_view key) const {
  for (size_t i = span.begin + 1; i < span.end; ++i) {
    const auto kv = keyValue(lines_[i]);
    if (kv && equalsIgnoringCase(kv->first, key)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  const Span span = findSection(section);
  const auto line = findKey(span, key);
  if (!line) {
    return std::nullopt;
  }
  return std::string(keyValue(lines_[*line])->second);
}

std::optional<int> IniFile::intValue(std::string_view section, std::string_view key) const {
  const auto text = value(section, key);
  if (!text) {
    return std::nullopt;
  }
  std::string_view s = *text;
  if (s.starts_with('+')) {
    s.remove_prefix(1);
  }
  int result = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), result);
  if (ec != std::errc() || ptr == s.data()) {
    return std::nullopt;
  }
  return result;
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(key) + "=" + oneLine(value);
  const Span span = findSection(section);
  if (span.begin == lines_.size()) {
    if (!lines_.empty() && !trim(lines_.back()).empty()) {
      lines_.emplace_back();
    }
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
    return;
  }
  if (const auto at = findKey(span, key)) {
    lines_[*at] = std::move(line);
    return;
  }
  // After the section's last non-blank line, so the blank line before the next header stays.
  size_t insertAt = span.end;
  while (insertAt > span.begin + 1 && trim(lines_[insertAt - 1]).empty()) {
    --insertAt;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

std::string IniFile::text() const {
  const std::string_view lineEnd = crlf_ ? "\r\n" : "\n";
  std::string out = byteOrderMark_ ? std::string(BOM) : std::string();
  for (const std::string& line : lines_) {
    out += line;
    out += lineEnd;
  }
  return out;
}

bool IniFile::save(const std::filesystem::path& path) const {
  const std::string bytes = text();
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  return writeFileAtomically(path, {data, bytes.size()}, false) == FileWriteStatus::Ok;
}

} // namespace kv816
