// The WiFi module's command slots: reply parsing, confirmations, device-channel retries.

#include <gtest/gtest.h>

#include <string>

#include "fake_link_events.h"
#include "link/module_commands.h"

namespace kv816::test {
namespace {

using namespace module_slot;

TEST(ModuleReply, ParsesEachReplyIntoItsSlot) {
  const struct {
    const char* reply;
    int slot;
    uint32_t value;
  } cases[] = {
      {"Get_IP:C0A80164", GET_IP, 0xC0A80164},          // 192.168.1.100
      {"Get_IP:c0a80164", GET_IP, 0xC0A80164},          // lower-case digits
      {"Get_IP:C0 A8 01 64", GET_IP, 0xA8001064},       // spaces are zero digits; low 32 bits
      {"Get_IP:7F-00-00-01", GET_IP, 0x7F000001},       // other characters skipped
      {"Get_LinkIP:0A000002", GET_LINK_IP, 0x0A000002}, //
      {"Get_WiFiMode:2", GET_WIFI_MODE, 2},             //
      {"Get_TCPPort:1010", GET_TCP_PORT, 1010},         //
      {"Get_UDPPort:80a81", GET_UDP_PORT, 8081},        // non-digits skipped
      {"Get_HotSSID:Stage", GET_HOT_SSID, 0},           //
      {"Set_HotPW:", SET_HOT_PW, 0},                    //
      {"Set_Restart:", SET_RESTART, 0},                 //
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    ModuleCommands modules;
    modules.queueModuleCommand(c.slot, "cmd");
    const ModuleReply r = modules.onModuleReply(c.reply);
    EXPECT_EQ(r.slot, c.slot);
    EXPECT_EQ(modules.value(c.slot), c.value);
    EXPECT_TRUE(modules.received(c.slot));
    EXPECT_FALSE(modules.pending(c.slot));
  }
}

TEST(ModuleReply, ShortFormsAndUnknownTextsAreIgnored) {
  for (const char* reply :
       {"Get_IP:", "Get_LinkIP:", "Get_WiFiMode:", "Get_TCPPort:", "Get_UDPPort:", "Hello", ""}) {
    SCOPED_TRACE(reply);
    ModuleCommands modules;
    EXPECT_EQ(modules.onModuleReply(reply).slot, -1);
    for (int s = 0; s < MODULE_SLOT_COUNT; ++s)
      EXPECT_FALSE(modules.received(s));
  }
}

// A reply is known by its first characters: text that merely contains another reply's
// prefix (a hotspot name "Get_IP:7F000002") neither answers that slot nor sets its value.
TEST(ModuleReply, PrefixesCountOnlyAtTheStart) {
  const struct {
    const char* reply;
    int slot;
  } cases[] = {
      {"Get_HotSSID:Get_IP:7F000002", GET_HOT_SSID},
      {"Get_RoutePW:xSet_HotPW:", GET_ROUTE_PW},
      {"xxGet_IP:7F000001", -1},
      {"\r\n Set_Restart:", SET_RESTART},
      {"-Set_Restart:", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    ModuleCommands modules;
    EXPECT_EQ(modules.onModuleReply(c.reply).slot, c.slot);
    EXPECT_FALSE(modules.received(GET_IP));
    EXPECT_EQ(modules.value(GET_IP), 0u);
    for (int s = 0; s < MODULE_SLOT_COUNT; ++s)
      EXPECT_EQ(modules.received(s), s == c.slot) << "slot " << s;
  }
}

TEST(ModuleReply, StringRepliesReplaceTheTextCutAtNulAndLength) {
  ModuleCommands modules;
  modules.queueModuleReads();
  EXPECT_EQ(modules.text(GET_ROUTE_SSID), "Get_RouteSSID:");
  EXPECT_TRUE(modules.pending(GET_HOT_PW));
  EXPECT_FALSE(modules.pending(GET_TCP_PORT)); // texts only for the ports
  EXPECT_EQ(modules.text(GET_TCP_PORT), "Get_TCPPort:");

  modules.onModuleReply(std::string("Get_HotSSID:Stage\0junk", 22));
  EXPECT_EQ(modules.text(GET_HOT_SSID), "Get_HotSSID:Stage");
  modules.onModuleReply("Get_RoutePW:" + std::string(1000, 'p'));
  EXPECT_EQ(modules.text(GET_ROUTE_PW).size(), MODULE_TEXT_MAX);
}

TEST(ModuleConfirmations, ShownOnlyWhenBothRepliesOfAChangeArrived) {
  ModuleCommands modules;
  FakeLinkEvents events;
  modules.onModuleReply("Set_HotSSID:");
  modules.showModuleConfirmations(events);
  EXPECT_TRUE(events.messages().empty());

  modules.onModuleReply("Set_HotPW:");
  modules.onModuleReply("Set_WiFiMode:");
  modules.showModuleConfirmations(events);
  modules.showModuleConfirmations(events); // flags consumed: nothing twice
  const auto shown = events.messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Set Hot:OK");
  EXPECT_EQ(shown[1].text, "WiFiMode:OK");
  EXPECT_EQ(shown[0].caption, "WiFi");
}

TEST(ModuleDeviceChannel, ServesSlotsInOrderAndDropsAnUnansweredOneAfterNineSends) {
  ModuleCommands modules;
  modules.queueModuleCommand(SET_HOT_SSID, "Set_HotSSID:A");
  modules.queueModuleCommand(SET_HOT_PW, "Set_HotPW:12345678");
  int position = 0;
  int sends = 0;
  while (auto text = modules.nextDeviceCommand(position)) {
    EXPECT_EQ(*text, "Set_HotSSID:A");
    ++sends;
  }
  EXPECT_EQ(sends, 9);
  EXPECT_FALSE(modules.pending(SET_HOT_SSID));
  EXPECT_EQ(modules.retryCount(SET_HOT_SSID), 0);
  // The next slot follows; its reply clears it and the position moves past the end.
  EXPECT_EQ(modules.nextDeviceCommand(position), "Set_HotPW:12345678");
  modules.onModuleReply("Set_HotPW:");
  EXPECT_EQ(modules.nextDeviceCommand(position), std::nullopt);
  EXPECT_EQ(position, MODULE_SLOT_COUNT);
}

} // namespace
} // namespace kv816::test
