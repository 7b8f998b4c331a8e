// The silence accounting of the send path: a device that stops answering drops the link.
#include <gtest/gtest.h>

#include <thread>

#include "codec_fixture.h"

namespace kv816::test {
namespace {

struct SilentLink : LinkFixture {
  explicit SilentLink(int linkType, uint32_t silentFor) {
    link.state().linkType = linkType;
    link.state().applyTimings(LinkTimings::forLinkType(linkType));
    link.state().connected = true;
    link.state().lastRxTick = link.now() - silentFor;
  }
  void send(uint8_t command = cmd::READ) { link.sendPacket(command, hex("00 00")); }
};

TEST(Silence, UsbDropsTheLinkOnTheFifthSilentSend) {
  SilentLink f(LINK_USB, 1500);
  for (int i = 1; i <= 4; ++i) {
    f.send();
    EXPECT_EQ(f.link.state().missCount.load(), i);
    EXPECT_TRUE(f.link.state().connected.load());
  }
  f.send();
  EXPECT_FALSE(f.link.state().connected.load());
  EXPECT_EQ(f.link.state().missCount.load(), 0);
  EXPECT_EQ(f.transport.frames.size(), 5u); // every frame still goes out
  EXPECT_EQ(f.transport.probes, 5);         // the hook runs; only the network one acts
}

TEST(Silence, NetworkAllowsFourteenMisses) {
  SilentLink f(LINK_NETWORK, 3000);
  for (int i = 0; i < 14; ++i)
    f.send();
  EXPECT_TRUE(f.link.state().connected.load());
  EXPECT_EQ(f.link.state().missCount.load(), 14);
  f.send();
  EXPECT_FALSE(f.link.state().connected.load());
}

struct QuietCase {
  const char* name;
  int linkType;
  uint32_t silentFor;
  uint8_t command;
};

class QuietTest : public ::testing::TestWithParam<QuietCase> {};

TEST_P(QuietTest, SendIsNotCountedAsAMiss) {
  SilentLink f(GetParam().linkType, GetParam().silentFor);
  for (int i = 0; i < 10; ++i)
    f.send(GetParam().command);
  EXPECT_EQ(f.link.state().missCount.load(), 0);
  EXPECT_TRUE(f.link.state().connected.load());
  EXPECT_EQ(f.transport.probes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, QuietTest,
    ::testing::Values(QuietCase{"UsbJustUnder", LINK_USB, 1499, cmd::READ},
                      QuietCase{"NetworkUnder", LINK_NETWORK, 2999, cmd::WRITE},
                      QuietCase{"ModuleText", LINK_USB, 60000, cmd::MODULE_TEXT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Silence, TickWrapAroundIsNotSilence) {
  SilentLink f(LINK_USB, 0);
  // Clock at 0xFFFFFF00 of the tick's first lap, then 512 ms later, across the wrap.
  f.clock.advance(std::chrono::milliseconds(0xFFFFFF00 - f.link.now()));
  f.link.state().lastRxTick = f.link.now();
  f.clock.advance(std::chrono::milliseconds(0x200));
  ASSERT_EQ(f.link.now(), 0x100u);
  f.send();
  EXPECT_EQ(f.link.state().missCount.load(), 0);
}

// Command 0x02 is no reply: it resets the accounting but wakes nobody.
TEST(Silence, UnknownCommandResetsAccountingWithoutRelease) {
  SilentLink f(LINK_USB, 1500);
  for (int i = 0; i < 4; ++i)
    f.send();
  f.link.state().waitingForReply = 1;
  f.receive(hex("80 04 02 00 45 69"));
  EXPECT_EQ(f.link.state().missCount.load(), 0);
  EXPECT_FALSE(f.released());
  f.send();
  EXPECT_TRUE(f.link.state().connected.load());
  EXPECT_EQ(f.link.state().missCount.load(), 0);
}

// A transport whose probe sends through the link again must not recurse.
class ReentrantProbe : public RecordingTransport {
public:
  explicit ReentrantProbe(Link*& link) : link_(link) {}
  void reconnectProbe() override {
    ++probes;
    link_->sendPacket(cmd::READ, hex("00 00"));
  }

private:
  Link*& link_;
};

TEST(Silence, ProbeSendingThroughTheLinkDoesNotRecurse) {
  SilentLink f(LINK_NETWORK, 3000);
  Link* self = &f.link;
  ReentrantProbe probe(self);
  f.link.setTransport(&probe);
  f.send();
  EXPECT_EQ(probe.probes, 1);
  EXPECT_EQ(probe.frames.size(), 2u);
}

// Answers every frame at once on its own thread, like a quick device.
class EchoingTransport : public RecordingTransport {
public:
  explicit EchoingTransport(Link& link) : link_(link) {}
  void write(std::span<const uint8_t> frame) override {
    RecordingTransport::write(frame);
    std::vector<uint8_t> reply(frame.begin(), frame.end());
    std::thread([this, reply] { link_.onBytesReceived(reply); }).join();
  }

private:
  Link& link_;
};

TEST(SendAndWait, ReturnsTrueOnReplyAndFalseOnTimeout) {
  LinkFixture f;
  EchoingTransport echo(f.link);
  f.link.setTransport(&echo);
  EXPECT_TRUE(f.link.sendAndWait(cmd::READ, hex("00 00"), 1000));
  EXPECT_EQ(f.link.state().waitingForReply.load(), 0);

  // A silent device: the wait ends when exactly 20 ms have passed. This thread waits on the
  // clock, so another one moves it.
  f.link.setTransport(&f.transport);
  f.clock.threadStarted();
  std::thread timer([&f] {
    EXPECT_TRUE(f.clock.advance(std::chrono::milliseconds(19)));
    EXPECT_EQ(f.link.state().waitingForReply.load(), 1);
    EXPECT_TRUE(f.clock.advance(std::chrono::milliseconds(1)));
  });
  EXPECT_FALSE(f.link.sendAndWait(cmd::READ, hex("00 00"), 20));
  f.clock.threadEnded();
  timer.join();
  EXPECT_EQ(f.link.state().waitingForReply.load(), 0);
}

} // namespace
} // namespace kv816::test
