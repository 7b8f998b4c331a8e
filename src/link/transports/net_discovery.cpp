#define ASIO_STANDALONE
#include "link/transports/net_discovery.h"

#include <asio.hpp>

#include <algorithm>
#include <array>
#include <optional>

#include "link/link_events.h"
#include "link/module_commands.h"
#include "link/transports/net_address.h"

namespace kv816 {
namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr size_t DATAGRAM_MAX = 1500;
constexpr int SWEEP_FIRST = 2;
constexpr int SWEEP_LAST = 254;
} // namespace

// The UDP socket with the io_context that runs its timed receives.
class NetDiscovery::Channel {
public:
  // Binds `port` on any address, or any free port when that is refused.
  bool open(uint16_t port, uint16_t& bound, std::string& error) {
    asio::error_code ec;
    socket_.open(asio::ip::udp::v4(), ec);
    if (!ec)
      socket_.set_option(asio::socket_base::broadcast(true), ec);
    if (ec) {
      error = ec.message();
      return false;
    }
    socket_.bind({asio::ip::address_v4::any(), port}, ec);
    if (ec && port != 0) {
      error = ec.message();
      socket_.bind({asio::ip::address_v4::any(), 0}, ec);
    }
    if (ec)
      return false;
    bound = socket_.local_endpoint(ec).port();
    return true;
  }

  void sendTo(uint32_t address, uint16_t port, const std::string& bytes) {
    asio::error_code ignored;
    socket_.send_to(asio::buffer(bytes), {asio::ip::address_v4(address), port}, 0, ignored);
  }

  // One datagram's text (up to its first zero byte), or nothing after `timeoutMs`.
  std::optional<std::string> receive(int timeoutMs) {
    std::array<char, DATAGRAM_MAX> buffer{};
    asio::ip::udp::endpoint from;
    bool done = false;
    size_t count = 0;
    asio::error_code result;
    socket_.async_receive_from(asio::buffer(buffer), from, [&](asio::error_code ec, size_t n) {
      done = true;
      result = ec;
      count = n;
    });
    io_.restart();
    io_.run_for(std::chrono::milliseconds(timeoutMs));
    if (!done) {
      asio::error_code ignored;
      socket_.cancel(ignored);
      io_.restart();
      io_.run();
    }
    if (result || !done)
      return std::nullopt;
    const std::string_view text(buffer.data(), count);
    return std::string(text.substr(0, text.find('\0')));
  }

private:
  asio::io_context io_;
  asio::ip::udp::socket socket_{io_};
};

NetDiscovery::NetDiscovery(ModuleCommands& modules, LinkEvents* events, const NetSettings& settings)
    : modules_(modules), events_(events), settings_(settings),
      localAddresses_(localIpv4Addresses()), local_(primaryLocalAddress(localAddresses_)) {}

NetDiscovery::~NetDiscovery() {
  stop();
}

void NetDiscovery::start() {
  stop();
  link_.store(LINK_ADDRESS_UNKNOWN, relaxed);
  running_.store(true, relaxed);
  thread_ = std::thread([this] { run(); });
}

void NetDiscovery::stop() {
  {
    std::lock_guard lock(mutex_);
    running_.store(false, relaxed);
  }
  wake_.notify_all();
  if (thread_.joinable())
    thread_.join();
}

bool NetDiscovery::moduleAvailable() const {
  const int64_t link = linkAddress();
  if (moduleAddress() == 0 || link == LINK_ADDRESS_UNKNOWN)
    return false;
  return link == 0 || std::find(localAddresses_.begin(), localAddresses_.end(),
                                static_cast<uint32_t>(link)) != localAddresses_.end();
}

std::vector<uint32_t> NetDiscovery::discovered() const {
  std::lock_guard lock(mutex_);
  return discovered_;
}

void NetDiscovery::clearDiscovered() {
  std::lock_guard lock(mutex_);
  discovered_.clear();
}

void NetDiscovery::run() {
  Channel channel;
  uint16_t bound = 0;
  std::string error;
  if (!channel.open(settings_.localUdpPort, bound, error)) {
    noticeOnce("Network link: cannot open a UDP socket: " + error);
    return;
  }
  boundPort_.store(bound, relaxed);
  if (bound != settings_.localUdpPort && settings_.localUdpPort != 0)
    noticeOnce("Network link: local UDP port " + std::to_string(settings_.localUdpPort) +
               " is not available (" + error + "); using port " + std::to_string(bound));
  while (running_.load(relaxed)) {
    sweep(channel);
    commandLoop(channel);
    pause(std::chrono::milliseconds(10));
  }
}

// "Get_IP:" to the broadcast address, then to every host of the sweep's /24.
void NetDiscovery::sweep(Channel& channel) {
  if (const auto broadcast = parseIpv4(settings_.broadcastAddress))
    sendText(channel, *broadcast, "Get_IP:", false);
  else
    noticeOnce("Network link: NetBroadcastAddress is not an IPv4 address: " +
               settings_.broadcastAddress);
  receive(channel, 100);
  if (settings_.sweep) {
    const auto base =
        settings_.sweepBase.empty() ? std::optional(local_) : parseIpv4(settings_.sweepBase);
    if (!base)
      noticeOnce("Network link: NetSweepBase is not an IPv4 address: " + settings_.sweepBase);
    else if (!destinationAllowed(*base))
      refuseSweep(*base); // one notice for the whole /24, not one per host
    else
      for (int host = SWEEP_FIRST; host <= SWEEP_LAST && running_.load(relaxed); ++host) {
        sendText(channel, (*base & 0xFFFFFF00u) | static_cast<uint32_t>(host), "Get_IP:", false);
        pause(std::chrono::milliseconds(2));
      }
  }
  link_.store(LINK_ADDRESS_UNKNOWN, relaxed);
  receive(channel, 200);
  receive(channel, 200);
}

// Every host of a /24 lies on the same side of the loopback-only safety net.
void NetDiscovery::refuseSweep(uint32_t base) {
  const uint32_t net = base & 0xFFFFFF00u;
  refused_.fetch_add(SWEEP_LAST - SWEEP_FIRST + 1, relaxed);
  noticeOnce("KV816_LOOPBACK_ONLY is set: refusing to sweep " + formatIpv4(net) +
             "/24 (only 127.0.0.0/8 is allowed)");
}

void NetDiscovery::commandLoop(Channel& channel) {
  while (running_.load(relaxed) && moduleAddress() != 0) {
    const uint32_t module = moduleAddress();
    if (const auto text = modules_.nextNetworkCommand(slotPosition_))
      sendText(channel, module, *text, true);
    if (linkAddress() != 0 && !moduleAvailable()) {
      pause(std::chrono::milliseconds(50));
      sendText(channel, module, "Get_LinkIP:", true);
    }
    receive(channel, 200);
    pause(std::chrono::milliseconds(1));
    if (events_)
      modules_.showModuleConfirmations(*events_);
  }
}

void NetDiscovery::receive(Channel& channel, int timeoutMs) {
  if (!running_.load(relaxed))
    return;
  if (const auto text = channel.receive(timeoutMs))
    handleDatagram(*text);
}

void NetDiscovery::handleDatagram(const std::string& text) {
  const ModuleReply reply = modules_.onModuleReply(text);
  if (reply.slot == module_slot::GET_IP && reply.value != 0) {
    {
      std::lock_guard lock(mutex_);
      if (std::find(discovered_.begin(), discovered_.end(), reply.value) == discovered_.end())
        discovered_.push_back(reply.value);
    }
    module_.store(reply.value, relaxed);
  } else if (reply.slot == module_slot::GET_LINK_IP) {
    link_.store(reply.value, relaxed);
  }
}

// The safety net comes first: a refused destination never reaches the socket.
bool NetDiscovery::sendText(Channel& channel, uint32_t address, const std::string& text,
                            bool withZero) {
  if (!destinationAllowed(address)) {
    refused_.fetch_add(1, relaxed);
    noticeOnce(refusalText(address));
    return false;
  }
  channel.sendTo(address, settings_.udpPort, withZero ? text + '\0' : text);
  sent_.fetch_add(1, relaxed);
  return true;
}

bool NetDiscovery::pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  wake_.wait_for(lock, duration, [this] { return !running_.load(relaxed); });
  return running_.load(relaxed);
}

void NetDiscovery::noticeOnce(const std::string& text) {
  notices_.give(settings_.notice, text);
}

} // namespace kv816
