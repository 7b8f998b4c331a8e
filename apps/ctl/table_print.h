#pragma once
// The parameter table as text: one line per entry with its name and its value in
// engineering units, or a JSON document. Used by dump and jib show.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace kv816 {

// "  23  in1.gain                  0.0dB" for every entry.
void printTable(std::FILE* out, std::span<const int32_t> values);

// {"values":[...],"params":{"in1.mute":"off",...}} members (no braces) for every entry;
// the named ones also appear under "params".
std::string tableJsonMembers(std::span<const int32_t> values);

// A JSON string literal.
std::string jsonString(const std::string& text);

} // namespace kv816
