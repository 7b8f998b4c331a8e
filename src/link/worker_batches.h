#pragma once
// The payloads of the worker's batched requests, built from the table's marks.
//
// Threads: the worker thread (the table's marks are atomics shared with the other sides).

#include <cstdint>
#include <vector>

namespace kv816 {

class ParameterTable;

inline constexpr int WRITE_BATCH_ITEMS = 24;
inline constexpr int READ_BATCH_ITEMS = 25;

// A write batch (command 0x03): from `position`, wrapping from 1174 to 0, examines at most
// every entry once and takes up to 24 entries marked to send, four bytes each (index, low
// 16 bits of the value, big-endian). Counts one transmission per entry taken (the 11th
// clears its mark). `position` becomes the index after the last one examined.
std::vector<uint8_t> collectWriteBatch(ParameterTable& table, int& position);

// A read batch (command 0x06): from `position`, wrapping, takes up to 25 entries whose
// refresh mark is clear, two bytes each, counting one read request for every entry taken
// except the one that fills the batch. `position` becomes the index after the last one
// examined.
std::vector<uint8_t> collectReadBatch(ParameterTable& table, int& position);

// The meter request (command 0x06) for the page on show: all six meter words on the gain
// page, the one word of a channel page's channel pair, nothing on other pages.
std::vector<uint8_t> meterRequest(int meterView);

} // namespace kv816
