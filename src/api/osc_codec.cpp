#include "api/osc_codec.h"

#include <lo/lo.h>

#include <memory>

namespace kv816 {

namespace {
constexpr std::string_view PREFIX = "/kv816/";

struct MessageFree {
  void operator()(lo_message m) const { lo_message_free(m); }
};
using Message = std::unique_ptr<std::remove_pointer_t<lo_message>, MessageFree>;

std::optional<nlohmann::json> argument(char type, const lo_arg* arg) {
  switch (type) {
  case LO_FLOAT:
    return nlohmann::json(static_cast<double>(arg->f));
  case LO_DOUBLE:
    return nlohmann::json(arg->d);
  case LO_INT32:
    return nlohmann::json(arg->i);
  case LO_INT64:
    return nlohmann::json(arg->h);
  case LO_STRING:
  case LO_SYMBOL:
    return nlohmann::json(std::string(&arg->s));
  case LO_TRUE:
    return nlohmann::json(true);
  case LO_FALSE:
    return nlohmann::json(false);
  default:
    return std::nullopt;
  }
}
} // namespace

std::optional<OscMessage> decodeOsc(const std::vector<uint8_t>& datagram) {
  if (datagram.empty() || datagram[0] != '/')
    return std::nullopt;                // bundles and junk
  std::vector<uint8_t> copy = datagram; // liblo reads through a non-const pointer
  int result = 0;
  const Message message(lo_message_deserialise(copy.data(), copy.size(), &result));
  if (!message || result != 0)
    return std::nullopt;
  OscMessage out;
  out.path = lo_get_path(copy.data(), static_cast<ssize_t>(copy.size()));
  const char* types = lo_message_get_types(message.get());
  lo_arg** argv = lo_message_get_argv(message.get());
  const int argc = lo_message_get_argc(message.get());
  for (int i = 0; i < argc; ++i) {
    std::optional<nlohmann::json> value = argument(types[i], argv[i]);
    if (!value)
      return std::nullopt;
    out.args.push_back(std::move(*value));
  }
  return out;
}

std::vector<uint8_t> encodeOsc(const std::string& path, const std::vector<nlohmann::json>& args) {
  const Message message(lo_message_new());
  for (const nlohmann::json& arg : args) {
    if (arg.is_number_integer())
      lo_message_add_int32(message.get(), arg.get<int32_t>());
    else
      lo_message_add_string(message.get(),
                            arg.is_string() ? arg.get<std::string>().c_str() : arg.dump().c_str());
  }
  size_t size = lo_message_length(message.get(), path.c_str());
  std::vector<uint8_t> bytes(size);
  lo_message_serialise(message.get(), path.c_str(), bytes.data(), &size);
  bytes.resize(size);
  return bytes;
}

std::string oscParameterName(const std::string& path) {
  if (path.size() <= PREFIX.size() || path.compare(0, PREFIX.size(), PREFIX) != 0)
    return {};
  std::string name = path.substr(PREFIX.size());
  for (char& c : name)
    if (c == '/')
      c = '.';
  return name;
}

} // namespace kv816
