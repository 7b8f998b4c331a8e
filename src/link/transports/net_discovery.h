#pragma once
// The network link's UDP channel to WiFi modules: a thread that finds modules ("Get_IP:"
// to the broadcast address, then the /24 sweep), asks the chosen one which computer it is
// linked to ("Get_LinkIP:"), and sends the module commands the settings dialog queued,
// handing every datagram it receives to the module reply handler.
//
// Threads: start/stop and the accessors from any thread (the worker in practice); the
// discovery thread does all UDP I/O. Every destination passes destinationAllowed() first.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/transports/net_settings.h"
#include "link/transports/notice_once.h"

namespace kv816 {

class LinkEvents;
class ModuleCommands;

inline constexpr int64_t LINK_ADDRESS_UNKNOWN = -1;

class NetDiscovery {
public:
  // `events` may be null (no confirmations shown).
  NetDiscovery(ModuleCommands& modules, LinkEvents* events, const NetSettings& settings);
  ~NetDiscovery();

  // Starts the thread (stopping one that runs). Binds the local UDP port; when that is
  // refused (ports below 1024 need privileges) it binds any free port and says so once.
  void start();
  // Ends the thread within about 200 ms and closes the socket.
  void stop();

  // The module to talk to; 0 while none is known. Setting 0 makes the thread rediscover.
  uint32_t moduleAddress() const { return module_.load(std::memory_order_relaxed); }
  void setModuleAddress(uint32_t address) { module_.store(address, std::memory_order_relaxed); }
  // What the module reported as its linked computer: LINK_ADDRESS_UNKNOWN until it
  // answered, 0 when it is linked to none.
  int64_t linkAddress() const { return link_.load(std::memory_order_relaxed); }
  // The module is free, or linked to one of this computer's addresses.
  bool moduleAvailable() const;

  // The distinct non-zero modules that answered "Get_IP:", in order of arrival.
  std::vector<uint32_t> discovered() const;
  void clearDiscovered();

  // This computer's first non-loopback address (the sweep's default base).
  uint32_t localAddress() const { return local_; }
  // Datagrams that went out, and destinations refused by the loopback-only safety net.
  int datagramsSent() const { return sent_.load(std::memory_order_relaxed); }
  int datagramsRefused() const { return refused_.load(std::memory_order_relaxed); }
  // The local UDP port actually bound (0 before start).
  uint16_t boundPort() const { return boundPort_.load(std::memory_order_relaxed); }

private:
  class Channel;
  void run();
  void sweep(Channel& channel);
  void refuseSweep(uint32_t base);
  void commandLoop(Channel& channel);
  void receive(Channel& channel, int timeoutMs);
  void handleDatagram(const std::string& text);
  bool sendText(Channel& channel, uint32_t address, const std::string& text, bool withZero);
  bool pause(std::chrono::milliseconds duration);
  void noticeOnce(const std::string& text);

  ModuleCommands& modules_;
  LinkEvents* events_;
  NetSettings settings_;
  std::vector<uint32_t> localAddresses_;
  uint32_t local_;

  std::atomic<uint32_t> module_{0};
  std::atomic<int64_t> link_{LINK_ADDRESS_UNKNOWN};
  std::atomic<bool> running_{false};
  std::atomic<int> sent_{0};
  std::atomic<int> refused_{0};
  std::atomic<uint16_t> boundPort_{0};
  int slotPosition_ = 0; // discovery thread only

  mutable std::mutex mutex_; // discovered list, stop wake-up
  std::condition_variable wake_;
  std::vector<uint32_t> discovered_;
  NoticeOnce notices_;
  std::thread thread_;
};

} // namespace kv816
