#pragma once
// The mirrored device table: 1175 parameter words, each with the marks that drive the link.
//
// Threads: the GUI thread edits (setParameter, copyIfChanged); the connection worker reads
// and clears marks; a transport's receive thread applies reports and echoes. Every field is
// its own std::atomic word, accessed relaxed: stale reads are tolerated by the protocol.

#include <array>
#include <atomic>
#include <cstdint>

namespace kv816 {

inline constexpr int PARAM_COUNT = 1175;
inline constexpr int DEVICE_ID = 20015;

inline constexpr int IDX_DEVICE_ID = 0;
inline constexpr int IDX_METER_FIRST = 3;
inline constexpr int METER_WORD_COUNT = 6;
inline constexpr int IDX_CURRENT_PRESET = 1165;
inline constexpr int IDX_PRESET_CONTROL = 1166;
inline constexpr int IDX_HOST_ALIVE = 1167;

// An entry that is never echoed goes out this many times plus one, then stays unsent.
inline constexpr int RETRY_LIMIT = 10;

struct ParameterRecord {
  std::atomic<int32_t> value{0};
  std::atomic<uint8_t> retryCount{0};
  std::atomic<int32_t> uiRefresh{0};
  std::atomic<int32_t> mustSend{0};
  std::atomic<int32_t> mustRead{0};
  // setParameter counts each edit when it begins and when it has stored value and mark, so
  // a report handled on another thread can tell an edit in flight from a settled value.
  std::atomic<uint32_t> editsBegun{0};
  std::atomic<uint32_t> editsDone{0};
};

class ParameterTable {
public:
  // Every value and mark starts at 0; call loadDefaults() for the factory state.
  ParameterTable() = default;
  ParameterTable(const ParameterTable&) = delete;
  ParameterTable& operator=(const ParameterTable&) = delete;

  static constexpr bool isValidIndex(int index) { return index >= 0 && index < PARAM_COUNT; }

  // Clears every field, then sets every value from the factory-default table.
  void loadDefaults();

  // The stored value; 0 for an index outside the table.
  int32_t value(int index) const {
    return isValidIndex(index) ? rec(index).value.load(std::memory_order_relaxed) : 0;
  }
  uint16_t wireValue(int index) const { return static_cast<uint16_t>(value(index)); }
  ParameterRecord& record(int index) { return records_[index]; }
  const ParameterRecord& record(int index) const { return records_[index]; }

  // The one edit operation: stores the value and marks it to send. An index outside the
  // table is ignored (IDX_NONE, 1147, is a real entry and is written).
  void setParameter(int index, int32_t value);

  // Bulk-copy step: an equal value is left alone; a different one is stored and marked to
  // send. Returns true when the entry changed (false for an index outside the table).
  bool copyIfChanged(int index, int32_t value);

  // Receive side. Indexes outside the table are ignored.
  // A write echo clears the send mark only when it confirms the value in the table now.
  void applyEcho(int index, uint16_t echoed);
  // A value report stores the 16-bit value and marks it for the pages. An entry with a
  // pending edit keeps the edit's value (only the mark for the pages is set): the report may
  // answer a read sent before the edit, and the edit's echo confirms what the device holds.
  void applyReport(int index, uint16_t reported);

  // Worker side, write pass: counts one transmission of a marked entry. The 11th
  // transmission clears the mark and the count. Indexes outside the table are ignored,
  // here and in the other per-entry worker operations.
  void countTransmission(int index);
  // Worker side, read requests: counts one request; a count at the limit restarts at 0.
  void countReadRequest(int index);

  // Start of a full read: clears retryCount and uiRefresh of every entry.
  void beginFullRead();
  // After a successful handshake: drops refresh marks and edits made while no device was there.
  void discardPendingMarks();
  // Import of a preset file, before its first write: clears every retry count.
  void clearRetryCounts();
  // Export snapshot: copies all values out and clears uiRefresh of every entry.
  std::array<int32_t, PARAM_COUNT> snapshotForExport();

  // Takes the refresh mark of one entry: true when it was set (and is now clear).
  bool takeRefresh(int index);
  // Takes the read-once mark of one entry: true when it was set (and is now clear).
  bool takeMustRead(int index);
  int countRefreshed() const;

  bool mustSend(int index) const { return rec(index).mustSend.load(std::memory_order_relaxed) > 0; }
  bool uiRefresh(int index) const {
    return rec(index).uiRefresh.load(std::memory_order_relaxed) > 0;
  }
  int retryCount(int index) const { return rec(index).retryCount.load(std::memory_order_relaxed); }

private:
  const ParameterRecord& rec(int index) const { return records_[index]; }

  std::array<ParameterRecord, PARAM_COUNT> records_{};
};

} // namespace kv816
