#pragma once
// OSC messages through liblo: a datagram to its address and arguments (as JSON values,
// the form the API's value parser takes), and a reply back to bytes. Pure functions; any
// thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv816 {

struct OscMessage {
  std::string path;
  std::vector<nlohmann::json> args; // f/d/i/h numbers, s/S strings, T/F booleans
};

// Nothing for a datagram that is not one well-formed OSC message, or has arguments of
// other types (blobs, MIDI, ...).
std::optional<OscMessage> decodeOsc(const std::vector<uint8_t>& datagram);

// The datagram of a message with string and whole-number arguments.
std::vector<uint8_t> encodeOsc(const std::string& path, const std::vector<nlohmann::json>& args);

// "/kv816/out2/peq3/gain" -> "out2.peq3.gain"; empty when the path is not under /kv816/.
std::string oscParameterName(const std::string& path);

} // namespace kv816
