#include "sim/json_value.h"

#include <cstdlib>

namespace kv816 {
namespace {

constexpr int MAX_DEPTH = 32;

class Parser {
public:
  explicit Parser(std::string_view text) : text_(text) {}

  bool value(JsonValue& out, int depth) {
    skipSpace();
    if (depth > MAX_DEPTH || at_ >= text_.size())
      return fail("unexpected end or nesting too deep");
    const char c = text_[at_];
    if (c == '{')
      return object(out, depth);
    if (c == '[')
      return array(out, depth);
    if (c == '"') {
      out.kind = JsonValue::Kind::String;
      return string(out.string);
    }
    if (literal("true") || literal("false")) {
      out.kind = JsonValue::Kind::Bool;
      out.boolean = c == 't';
      return true;
    }
    if (literal("null"))
      return true;
    return number(out);
  }

  bool finish() {
    skipSpace();
    return at_ == text_.size() || fail("trailing characters");
  }

  std::string error;

private:
  bool fail(const std::string& why) {
    if (error.empty())
      error = why + " at offset " + std::to_string(at_);
    return false;
  }
  void skipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
      ++at_;
  }
  bool eat(char c) {
    skipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word)
      return false;
    at_ += word.size();
    return true;
  }

  bool number(JsonValue& out) {
    const std::string rest(text_.substr(at_, 32));
    char* end = nullptr;
    out.number = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str())
      return fail("bad value");
    at_ += static_cast<size_t>(end - rest.c_str());
    out.kind = JsonValue::Kind::Number;
    return true;
  }

  bool string(std::string& out) {
    ++at_; // opening quote
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (c == '\\') {
        if (at_ >= text_.size())
          return fail("bad escape");
        c = text_[at_++];
        if (c == 'u') {
          const std::string digits(text_.substr(at_, 4));
          char* end = nullptr;
          const long code = std::strtol(digits.c_str(), &end, 16);
          if (digits.size() != 4 || end != digits.c_str() + 4 || code > 0xFF)
            return fail("unsupported \\u escape");
          at_ += 4;
          c = static_cast<char>(code);
        } else if (c == 'n') {
          c = '\n';
        } else if (c == 't') {
          c = '\t';
        } else if (c == 'r') {
          c = '\r';
        }
      }
      out.push_back(c);
    }
    if (at_ >= text_.size())
      return fail("unterminated string");
    ++at_;
    return true;
  }

  bool array(JsonValue& out, int depth) {
    ++at_;
    out.kind = JsonValue::Kind::Array;
    if (eat(']'))
      return true;
    do {
      out.array.emplace_back();
      if (!value(out.array.back(), depth + 1))
        return false;
    } while (eat(','));
    return eat(']') || fail("expected ]");
  }

  bool object(JsonValue& out, int depth) {
    ++at_;
    out.kind = JsonValue::Kind::Object;
    if (eat('}'))
      return true;
    do {
      skipSpace();
      std::string key;
      if (at_ >= text_.size() || text_[at_] != '"' || !string(key))
        return fail("expected a key");
      if (!eat(':'))
        return fail("expected :");
      if (!value(out.object[key], depth + 1))
        return false;
    } while (eat(','));
    return eat('}') || fail("expected }");
  }

  std::string_view text_;
  size_t at_ = 0;
};

} // namespace

const JsonValue* JsonValue::find(const std::string& key) const {
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &it->second;
}

std::optional<JsonValue> parseJson(std::string_view text, std::string& error) {
  Parser parser(text);
  JsonValue root;
  if (!parser.value(root, 0) || !parser.finish()) {
    error = parser.error;
    return std::nullopt;
  }
  return root;
}

} // namespace kv816
