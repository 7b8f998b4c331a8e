// Fuzzes the WiFi module's reply handler. The input is a script of steps, each a byte that
// picks the step and, for replies and commands, a text up to the next 0x0A:
//  - a reply straight to ModuleCommands::onModuleReply, as the UDP channel delivers it;
//  - a reply inside a device packet (command 0x57 with two trailing bytes) through the
//    link's receive path, as the device channel delivers it;
//  - queueing a command or the reads, taking the next command for either channel, or the
//    confirmation step.
// After every step the slots must be consistent.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/module_commands.h"
#include "link/packet.h"
#include "model/parameter_table.h"
#include "support/null_progress.h"

namespace {

using namespace kv816;

using fuzz::check;

using test::NullProgress;

class CountingEvents : public LinkEvents {
public:
  void post(Notify, int) override {}
  void send(Notify, int) override {}
  MessageButton showMessage(MessageKind, const std::string&, const std::string& caption) override {
    check(caption == "WiFi");
    ++messages;
    return MessageButton::Ok;
  }
  ProgressView& progress() override { return progress_; }
  int messages = 0;

private:
  NullProgress progress_;
};

void checkSlots(const ModuleCommands& modules) {
  for (int s = -1; s <= MODULE_SLOT_COUNT; ++s) {
    check(modules.text(s).size() <= MODULE_TEXT_MAX);
    check(modules.retryCount(s) >= 0 && modules.retryCount(s) < MODULE_RETRY_LIMIT);
  }
}

void checkReply(const ModuleCommands& modules, const ModuleReply& reply) {
  if (reply.slot < 0)
    return;
  check(reply.slot < MODULE_SLOT_COUNT);
  check(modules.received(reply.slot) && !modules.pending(reply.slot));
  check(modules.retryCount(reply.slot) == 0);
  if (reply.slot <= module_slot::GET_UDP_PORT)
    check(modules.value(reply.slot) == reply.value);
}

void deviceReply(Link& link, std::string_view text, uint8_t trailer) {
  std::vector<uint8_t> payload(text.begin(), text.end());
  payload.push_back(trailer);
  payload.push_back(trailer);
  link.onBytesReceived(buildFrame(cmd::MODULE_TEXT, payload));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ParameterTable table;
  Link link(table, [] { return 1000u; });
  ModuleCommands modules;
  link.setModuleReplyHandler(
      [&](std::string_view t) { checkReply(modules, modules.onModuleReply(t)); });
  CountingEvents events;
  int devicePosition = 0;
  int netPosition = 0;

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t i = 0;
  while (i < input.size()) {
    const auto op = static_cast<uint8_t>(input[i++]);
    const size_t end = std::min(input.find('\n', i), input.size());
    const std::string_view text = input.substr(i, end - i);
    switch (op % 8) {
    case 0:
    case 1:
      checkReply(modules, modules.onModuleReply(text));
      i = end + 1;
      break;
    case 2:
      deviceReply(link, text, op);
      i = end + 1;
      break;
    case 3:
      modules.queueModuleCommand(static_cast<int>(op >> 3) - 6, text);
      i = end + 1;
      break;
    case 4:
      modules.queueModuleReads();
      break;
    case 5:
      if (auto next = modules.nextDeviceCommand(devicePosition))
        check(devicePosition >= 0 && devicePosition < MODULE_SLOT_COUNT);
      break;
    case 6:
      if (auto next = modules.nextNetworkCommand(netPosition))
        check(modules.pending(netPosition));
      break;
    default:
      modules.showModuleConfirmations(events);
      break;
    }
    checkSlots(modules);
  }
  return 0;
}
