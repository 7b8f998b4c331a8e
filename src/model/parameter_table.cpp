#include "model/parameter_table.h"

#include "model/factory_defaults.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr auto seq_cst = std::memory_order_seq_cst;

void clearRecord(ParameterRecord& r) {
  r.value.store(0, relaxed);
  r.retryCount.store(0, relaxed);
  r.uiRefresh.store(0, relaxed);
  r.mustSend.store(0, relaxed);
  r.mustRead.store(0, relaxed);
}
} // namespace

void ParameterTable::loadDefaults() {
  const auto& defaults = factoryDefaults();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    clearRecord(records_[i]);
    records_[i].value.store(defaults[i], relaxed);
  }
}

void ParameterTable::setParameter(int index, int32_t value) {
  if (!isValidIndex(index))
    return;
  // Sequentially consistent with the clear-then-recheck in applyEcho: an echo handled
  // meanwhile sees this value or clears the mark before this store sets it.
  ParameterRecord& r = records_[index];
  r.editsBegun.fetch_add(1, seq_cst);
  r.value.store(value, seq_cst);
  r.mustSend.store(1, seq_cst);
  r.editsDone.fetch_add(1, seq_cst);
}

bool ParameterTable::copyIfChanged(int index, int32_t value) {
  if (!isValidIndex(index) || records_[index].value.load(relaxed) == value)
    return false;
  setParameter(index, value);
  return true;
}

void ParameterTable::applyEcho(int index, uint16_t echoed) {
  if (!isValidIndex(index))
    return;
  ParameterRecord& r = records_[index];
  if (static_cast<uint16_t>(r.value.load(relaxed)) != echoed)
    return;
  r.retryCount.store(0, relaxed);
  r.mustSend.store(0, seq_cst);
  // An edit stored while this echo was being handled keeps its mark.
  if (static_cast<uint16_t>(r.value.load(seq_cst)) != echoed)
    r.mustSend.store(1, relaxed);
}

void ParameterTable::applyReport(int index, uint16_t reported) {
  if (!isValidIndex(index))
    return;
  ParameterRecord& r = records_[index];
  r.uiRefresh.store(1, relaxed);
  // A report can answer a read sent before the user's edit: storing it would send the old
  // value back to the device in place of the edit. A pending or half-stored edit wins; its
  // echo settles it.
  const uint32_t begun = r.editsBegun.load(seq_cst);
  if (begun != r.editsDone.load(seq_cst) || r.mustSend.load(seq_cst) != 0)
    return;
  int32_t seen = r.value.load(seq_cst);
  if (!r.value.compare_exchange_strong(seen, reported, seq_cst))
    return;
  // An edit began after the check: give back what it may have stored.
  if (r.editsBegun.load(seq_cst) != begun) {
    int32_t stored = reported;
    r.value.compare_exchange_strong(stored, seen, seq_cst);
  }
}

void ParameterTable::countTransmission(int index) {
  if (!isValidIndex(index))
    return;
  ParameterRecord& r = records_[index];
  if (r.retryCount.load(relaxed) >= RETRY_LIMIT) {
    r.retryCount.store(0, relaxed);
    r.mustSend.store(0, relaxed);
    return;
  }
  r.retryCount.store(static_cast<uint8_t>(r.retryCount.load(relaxed) + 1), relaxed);
}

void ParameterTable::countReadRequest(int index) {
  if (!isValidIndex(index))
    return;
  ParameterRecord& r = records_[index];
  const int count = r.retryCount.load(relaxed);
  r.retryCount.store(count >= RETRY_LIMIT ? 0 : static_cast<uint8_t>(count + 1), relaxed);
}

void ParameterTable::beginFullRead() {
  for (ParameterRecord& r : records_) {
    r.retryCount.store(0, relaxed);
    r.uiRefresh.store(0, relaxed);
  }
}

void ParameterTable::discardPendingMarks() {
  for (ParameterRecord& r : records_) {
    r.uiRefresh.store(0, relaxed);
    r.mustSend.store(0, relaxed);
  }
}

void ParameterTable::clearRetryCounts() {
  for (ParameterRecord& r : records_)
    r.retryCount.store(0, relaxed);
}

std::array<int32_t, PARAM_COUNT> ParameterTable::snapshotForExport() {
  std::array<int32_t, PARAM_COUNT> values{};
  for (int i = 0; i < PARAM_COUNT; ++i) {
    values[i] = records_[i].value.load(relaxed);
    records_[i].uiRefresh.store(0, relaxed);
  }
  return values;
}

bool ParameterTable::takeRefresh(int index) {
  if (!isValidIndex(index) || records_[index].uiRefresh.load(relaxed) <= 0)
    return false;
  records_[index].uiRefresh.store(0, relaxed);
  return true;
}

bool ParameterTable::takeMustRead(int index) {
  if (!isValidIndex(index) || records_[index].mustRead.load(relaxed) <= 0)
    return false;
  records_[index].mustRead.store(0, relaxed);
  return true;
}

int ParameterTable::countRefreshed() const {
  int n = 0;
  for (const ParameterRecord& r : records_)
    n += r.uiRefresh.load(relaxed) > 0 ? 1 : 0;
  return n;
}

} // namespace kv816
