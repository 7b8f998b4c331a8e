#pragma once
// Shared pieces of the codec tests: hex fixtures, a transport that records frames and a
// link with a hand-stepped clock.

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/packet.h"
#include "link/transport.h"
#include "manual_clock.h"
#include "model/parameter_table.h"

namespace kv816::test {

// "80 05 06" -> {0x80, 0x05, 0x06}
inline std::vector<uint8_t> hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  std::string word;
  while (in >> word)
    bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  return bytes;
}

inline std::string toHex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (uint8_t b : bytes) {
    if (!text.empty())
      text += ' ';
    text += digits[b >> 4];
    text += digits[b & 0xF];
  }
  return text;
}

inline std::vector<uint8_t> frame(uint8_t command, const std::string& payloadHex) {
  return buildFrame(command, hex(payloadHex));
}

inline std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

class RecordingTransport : public Transport {
public:
  bool open() override { return true; }
  void close() override {}
  bool isOpen() const override { return true; }
  void write(std::span<const uint8_t> frame) override {
    frames.emplace_back(frame.begin(), frame.end());
  }
  void reconnectProbe() override { ++probes; }

  std::vector<std::vector<uint8_t>> frames;
  int probes = 0;
};

// A link over its own table, with a clock the test steps by hand.
struct LinkFixture {
  LinkFixture() { link.setTransport(&transport); }

  void receive(const std::vector<uint8_t>& bytes) { link.onBytesReceived(bytes); }
  bool released() { return link.replySemaphore().tryAcquire(); }

  ManualClock clock;
  ParameterTable table;
  RecordingTransport transport;
  Link link{table, clock};
};

} // namespace kv816::test
