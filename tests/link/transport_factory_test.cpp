#include <gtest/gtest.h>

#include "link/link.h"
#include "link/module_commands.h"
#include "link/transport_support.h"
#include "link/transports/device_transports.h"
#include "link/transports/hid_transport.h"
#include "link/transports/net_transport.h"
#include "link/transports/serial_transport.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {

TEST(DeviceTransports, LinkTypeChoosesTheTransport) {
  ParameterTable table;
  Link link{table};
  ModuleCommands modules;
  test::RecordingEvents events;
  struct Case {
    int linkType;
    const char* kind;
  };
  for (const Case c :
       {Case{LINK_USB, "hid"}, Case{LINK_NETWORK, "net"}, Case{LINK_BLUETOOTH, "serial"},
        Case{LINK_SERIAL, "serial"}, Case{0, "serial"}, Case{7, "serial"}}) {
    LinkConfig config;
    config.linkType = c.linkType;
    const TransportContext context{link, modules, events, config};
    const auto transport = makeDeviceTransport(context);
    const std::string kind = dynamic_cast<HidTransport*>(transport.get())      ? "hid"
                             : dynamic_cast<NetTransport*>(transport.get())    ? "net"
                             : dynamic_cast<SerialTransport*>(transport.get()) ? "serial"
                                                                               : "?";
    EXPECT_EQ(kind, c.kind) << "link type " << c.linkType;
  }
}

TEST(DeviceTransports, SettingsComeFromTheConfiguration) {
  LinkConfig config;
  config.baudRate = 57600;
  config.serialPorts = {"/tmp/kv816-pty"};
  config.netBroadcastAddress = "127.0.0.1";
  config.netSweep = false;
  config.netSweepBase = "127.0.0.9";
  config.netUdpPort = 2001;
  config.netLocalUdpPort = 2002;
  config.netTcpPort = 2003;
  const SerialSettings serial = serialSettingsFrom(config);
  EXPECT_EQ(serial.baudRate, 57600);
  EXPECT_EQ(serial.preferredPorts, config.serialPorts);
  config.baudRate = -1;
  EXPECT_EQ(serialSettingsFrom(config).baudRate, 115200);
  const NetSettings net = netSettingsFrom(config);
  EXPECT_EQ(net.broadcastAddress, "127.0.0.1");
  EXPECT_FALSE(net.sweep);
  EXPECT_EQ(net.sweepBase, "127.0.0.9");
  EXPECT_EQ(net.udpPort, 2001);
  EXPECT_EQ(net.localUdpPort, 2002);
  EXPECT_EQ(net.tcpPort, 2003);
}

} // namespace
} // namespace kv816
