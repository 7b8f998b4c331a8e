#pragma once
// The device's state as a JSON document: the live table, the running preset, the lock
// mask, the twelve presets (name and values) and the WiFi module's settings. kv816-sim
// writes it when it exits (--state-file) and can start from it (--state-in); tests compare
// it with the program's table.
//
//   {"identity":20015,"current_preset":1,"lock_mask":0,"table":[...1175 numbers...],
//    "presets":[{"number":1,"name":"Flat","values":[...]},...],
//    "module":{"mode":1,"hot_ssid":"KV816-AP",...}}

#include <string>
#include <string_view>

#include "sim/simulated_device.h"

namespace kv816 {

std::string stateToJson(const DeviceState& state, int identity);

// Fills `state` from a document written by stateToJson. False (and `error` set) when the
// document is malformed or a table does not hold 1175 values of 0..65535; `state` is then
// unchanged.
bool stateFromJson(std::string_view json, DeviceState& state, std::string& error);

} // namespace kv816
