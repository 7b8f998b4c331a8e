#include <gtest/gtest.h>

#include <future>

#include "link/codec_fixture.h"
#include "link/fake_hid_backend.h"
#include "link/link.h"
#include "link/packet.h"
#include "link/transport_support.h"
#include "link/transports/device_lock.h"
#include "link/transports/hid_framing.h"
#include "link/transports/hid_transport.h"
#include "model/parameter_table.h"
#include "sim/simulated_device.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;
using test::hex;
using test::toHex;

std::vector<uint8_t> data(const HidReport& report) {
  return {report.begin() + 1, report.end()};
}

std::vector<uint8_t> frameOfSize(size_t size) {
  // A read request with (size - 5) / 2 indexes: a valid frame of exactly `size` bytes.
  std::vector<uint8_t> payload(size - 5, 0x01);
  return buildFrame(cmd::READ, payload);
}

TEST(HidFraming, SmallFrameFitsOneReportWithHeaderAndZeroFill) {
  const auto reports = hidReports(hex("80 05 06 00 00 13 C5"));
  ASSERT_EQ(reports.size(), 1u);
  std::vector<uint8_t> expected = hex("00 AE 1E 00 07 C8 80 05 06 00 00 13 C5");
  expected.resize(HID_REPORT_SIZE, 0);
  EXPECT_EQ(toHex({reports[0].begin(), reports[0].end()}), toHex(expected));
}

TEST(HidFraming, FrameSizesToReportCounts) {
  struct Case {
    size_t frame;
    size_t reports;
  };
  for (const Case c : {Case{7, 1}, Case{59, 1}, Case{60, 2}, Case{100, 2}, Case{123, 2},
                       Case{124, 3}, Case{255, 5}}) {
    const auto frame = frameOfSize(c.frame);
    const auto reports = hidReports(frame);
    EXPECT_EQ(reports.size(), c.reports) << "frame of " << c.frame;
    // Every report starts with report ID 0; the message reads back as header + frame.
    std::vector<uint8_t> message;
    for (const HidReport& r : reports) {
      EXPECT_EQ(r[0], 0);
      message.insert(message.end(), r.begin() + 1, r.end());
    }
    EXPECT_EQ(message[2] * 256 + message[3], static_cast<int>(c.frame));
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), message.begin() + 5));
    EXPECT_TRUE(std::all_of(message.begin() + 5 + static_cast<long>(c.frame), message.end(),
                            [](uint8_t b) { return b == 0; }));
  }
}

TEST(HidReassembler, HandsOverEachFrameOnceWithoutZeroFill) {
  for (size_t size : {7u, 59u, 60u, 100u, 200u}) {
    const auto frame = frameOfSize(size);
    const auto reports = hidReports(frame);
    HidReassembler reassembler;
    for (size_t i = 0; i + 1 < reports.size(); ++i)
      EXPECT_FALSE(reassembler.feed(data(reports[i]))) << "early hand-over, frame " << size;
    const auto got = reassembler.feed(data(reports.back()));
    ASSERT_TRUE(got) << "frame " << size;
    EXPECT_EQ(*got, frame);
    // A stray continuation after a finished message does not hand the old frame over again.
    EXPECT_FALSE(reassembler.feed(std::vector<uint8_t>(HID_DATA_SIZE, 0x11)));
  }
}

TEST(HidReassembler, IgnoresReportsOutsideAMessageAndOversizedHeaders) {
  HidReassembler reassembler;
  EXPECT_FALSE(reassembler.feed(hex("80 05 06 00 00 13 C5"))); // no header, no message yet
  EXPECT_FALSE(reassembler.feed(hex("AE 1E 04 00 C8 80 05"))); // announces 1024 bytes
  EXPECT_FALSE(reassembler.feed(hex("06 00 00 13 C5")));       // so this continues nothing
  const auto got = reassembler.feed(hex("AE 1E 00 07 C8 80 05 06 00 00 13 C5 00 00"));
  ASSERT_TRUE(got);
  EXPECT_EQ(toHex(*got), "80 05 06 00 00 13 C5");
}

class HidTransportTest : public ::testing::Test {
protected:
  HidTransportTest() : bus(std::make_shared<test::FakeHidBus>(&device)) {}

  std::unique_ptr<HidTransport> makeTransport(std::chrono::milliseconds blockedRetry = 2000ms) {
    HidSettings settings;
    settings.lockFolder = scratch.path();
    settings.blockedRetry = blockedRetry;
    return std::make_unique<HidTransport>(link, std::make_unique<test::FakeHidBackend>(bus),
                                          &events, settings);
  }

  SimulatedDevice device;
  std::shared_ptr<test::FakeHidBus> bus;
  ParameterTable table;
  Link link{table};
  test::RecordingEvents events;
  test::ScratchFolder scratch;
};

TEST_F(HidTransportTest, OpensCarriesFramesBothWaysAndReassemblesLongReplies) {
  auto transport = makeTransport();
  link.setTransport(transport.get());
  ASSERT_TRUE(transport->open());
  EXPECT_TRUE(link.state().connected.load());
  EXPECT_TRUE(transport->isOpen());
  EXPECT_EQ(table.value(IDX_DEVICE_ID), DEVICE_ID);
  EXPECT_EQ(events.count(Notify::LinkStatus, LINK_LOST), 1);
  EXPECT_EQ(events.count(Notify::LinkStatus, LINK_FOUND), 1);
  // The probe went out as one report: header, the read of index 0, zero fill.
  const HidReport probe = bus->written().at(0);
  EXPECT_EQ(toHex({probe.begin(), probe.begin() + 13}), "00 AE 1E 00 07 C8 80 05 06 00 00 13 C5");

  // 25 indexes: the reply carries 100 payload bytes, so it arrives in two reports.
  std::vector<uint8_t> request;
  for (int i = 1000; i < 1025; ++i) {
    request.push_back(static_cast<uint8_t>(i >> 8));
    request.push_back(static_cast<uint8_t>(i & 0xFF));
  }
  ASSERT_TRUE(link.sendAndWait(cmd::READ, request, 1000));
  for (int i = 1000; i < 1025; ++i)
    EXPECT_EQ(table.wireValue(i), device.value(i)) << i;

  // A write goes out and the echo clears its mark.
  table.setParameter(1100, device.value(1100) ^ 1);
  const uint8_t write[] = {0x04, 0x4C, 0x00, static_cast<uint8_t>(table.wireValue(1100))};
  ASSERT_TRUE(link.sendAndWait(cmd::WRITE, write, 1000));
  EXPECT_EQ(device.value(1100), table.wireValue(1100));
  EXPECT_EQ(table.record(1100).mustSend.load(), 0);
  transport->close();
  EXPECT_FALSE(transport->isOpen());
}

TEST_F(HidTransportTest, UnplugEndsTheReceiverAndClearsConnected) {
  auto transport = makeTransport();
  link.setTransport(transport.get());
  ASSERT_TRUE(transport->open());
  bus->setPlugged(false);
  EXPECT_TRUE(test::waitFor([&] { return !transport->isOpen(); }, 1000ms));
  EXPECT_FALSE(link.state().connected.load());
  // Writes while gone are dropped quietly.
  link.sendPacket(cmd::READ, hex("00 00"));
  // Plugged in again, the next open finds it.
  bus->setPlugged(true);
  ASSERT_TRUE(transport->open());
  EXPECT_EQ(bus->opens(), 2);
}

TEST_F(HidTransportTest, SecondInstanceIsBlockedWhileTheLockIsHeld) {
  DeviceLock other;
  ASSERT_TRUE(other.tryAcquire(HidTransport::lockName(), scratch.path()));
  auto transport = makeTransport(60ms);
  link.setTransport(transport.get());
  auto opened = std::async(std::launch::async, [&] { return transport->open(); });
  ASSERT_TRUE(test::waitFor([&] { return events.messages().size() >= 3; }));
  EXPECT_EQ(events.messages()[0], "HID_VID_4084_PID_4357 Channel is Blocked!");
  EXPECT_EQ(bus->opens(), 0);
  // The stop operation: workerRun cleared, then close; open gives up promptly.
  link.state().workerRun.store(false);
  transport->close();
  ASSERT_EQ(opened.wait_for(500ms), std::future_status::ready);
  EXPECT_FALSE(opened.get());
  EXPECT_EQ(bus->opens(), 0);
}

TEST_F(HidTransportTest, LockIsTakenOnceTheOtherInstanceLetsGo) {
  DeviceLock other;
  ASSERT_TRUE(other.tryAcquire(HidTransport::lockName(), scratch.path()));
  auto transport = makeTransport(30ms);
  link.setTransport(transport.get());
  auto opened = std::async(std::launch::async, [&] { return transport->open(); });
  ASSERT_TRUE(test::waitFor([&] { return !events.messages().empty(); }));
  other.release();
  ASSERT_EQ(opened.wait_for(2s), std::future_status::ready);
  EXPECT_TRUE(opened.get());
  // Now this instance holds it.
  EXPECT_FALSE(other.tryAcquire(HidTransport::lockName(), scratch.path()));
}

} // namespace
} // namespace kv816
