// Fuzzes the remote API's message handling: any text is answered with one well-formed
// JSON-RPC reply (or none, for a notification or a set that waits for the device); an
// error reply changes nothing in the table; the same bytes as an OSC datagram decode or are
// refused without harm.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/fake_api_host.h"
#include "api/osc_codec.h"
#include "api/rpc_handler.h"
#include "fuzz_check.h"

namespace {

using namespace kv816;
using fuzz::check;

std::array<int32_t, PARAM_COUNT> valuesOf(ParameterTable& table) {
  std::array<int32_t, PARAM_COUNT> v{};
  for (int i = 0; i < PARAM_COUNT; ++i)
    v[static_cast<size_t>(i)] = table.value(i);
  return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "kv816_api_fuzz";
  test::FakeApiHost host(folder);
  RpcHandler handler(host);
  std::vector<std::string> sent;
  handler.addClient(1, [&sent](const std::string& text) { sent.push_back(text); });
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto before = valuesOf(host.table());
  const std::string reply = handler.handle(1, text);
  if (!reply.empty()) {
    const nlohmann::json parsed = nlohmann::json::parse(reply, nullptr, false);
    check(parsed.is_object() && parsed["jsonrpc"] == "2.0" && parsed.contains("id"));
    check(parsed.contains("result") != parsed.contains("error"));
    if (parsed.contains("error"))
      check(valuesOf(host.table()) == before);
  }
  handler.poll(RpcHandler::Clock::now() + std::chrono::seconds(10));
  for (const std::string& later : sent)
    check(!nlohmann::json::parse(later, nullptr, false).is_discarded());
  (void)decodeOsc(std::vector<uint8_t>(data, data + size));
  return 0;
}
