#include "sim/simulated_device.h"

#include <algorithm>

#include "link/packet.h"

namespace kv816 {
namespace {

constexpr uint8_t FIRMWARE_MAJOR = 1;
constexpr uint8_t FIRMWARE_MINOR = 0;
constexpr uint8_t LOCK_FORM = 1;
constexpr int RECALL_OPERATION = 6;
// The two bytes that close a module reply.
constexpr uint8_t MODULE_TRAILER[2] = {0x0D, 0x0A};

bool isReadOnly(int index) {
  return index == IDX_DEVICE_ID || index == IDX_CURRENT_PRESET ||
         (index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT);
}

void appendItem(std::vector<uint8_t>& items, int index, uint16_t value) {
  items.push_back(static_cast<uint8_t>(index >> 8));
  items.push_back(static_cast<uint8_t>(index & 0xFF));
  items.push_back(static_cast<uint8_t>(value >> 8));
  items.push_back(static_cast<uint8_t>(value & 0xFF));
}

} // namespace

SimulatedDevice::SimulatedDevice(SimConfig config)
    : config_(config), faults_(config.faults, config.seed), meters_(config.seed ^ 0x9E3779B9u) {
  table_ = PresetBank::factoryValues();
  presets_.loadInto(currentPreset_, table_);
  table_[IDX_DEVICE_ID] = static_cast<uint16_t>(config_.identity);
  table_[IDX_CURRENT_PRESET] = static_cast<uint16_t>(currentPreset_);
  if (config_.lockCurrentPreset)
    lockMask_ = 1u << currentPreset_;
}

std::vector<OutgoingFrame> SimulatedDevice::receive(std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  Out out;
  if (unplugged_)
    return out;
  for (const Frame& frame : parser_.feed(bytes))
    dispatch(out, frame);
  return out;
}

std::vector<OutgoingFrame> SimulatedDevice::handleFrame(const Frame& frame) {
  std::lock_guard lock(mutex_);
  Out out;
  if (unplugged_)
    return out;
  dispatch(out, frame);
  return out;
}

void SimulatedDevice::dispatch(Out& out, const Frame& frame) {
  if (observer_)
    observer_(FrameDirection::In, buildFrame(frame.command, frame.payload));
  if (config_.replay) {
    if (auto answer = config_.replay->answerTo(buildFrame(frame.command, frame.payload));
        !answer.empty())
      out.push_back({std::move(answer)});
    return;
  }
  const std::span<const uint8_t> payload(frame.payload);
  switch (frame.command) {
  case cmd::INFO:
    return onInfo(out);
  case cmd::READ:
    return onRead(out, payload);
  case cmd::WRITE:
    return onWrite(out, payload);
  case cmd::BULK_DUMP:
    return onBulkDump(out);
  case cmd::NAME:
    return onName(out, payload);
  case cmd::RECALL:
    return onRecall(out, payload);
  case cmd::STORE_NAME:
    return onStoreName(out, payload);
  case cmd::MODULE_TEXT:
    return onModuleText(out, payload);
  default:
    return; // the device ignores commands it does not know
  }
}

void SimulatedDevice::emitFrame(Out& out, uint8_t command, std::span<const uint8_t> payload) {
  std::optional<OutgoingFrame> sent = faults_.apply(buildFrame(command, payload));
  if (observer_) {
    const auto bytes = sent ? sent->bytes : buildFrame(command, payload);
    observer_(sent ? FrameDirection::Out : FrameDirection::Dropped, bytes);
  }
  if (sent)
    out.push_back(std::move(*sent));
}

void SimulatedDevice::emitItems(Out& out, uint8_t command, const std::vector<uint8_t>& items,
                                int perFrame) {
  const size_t chunk = static_cast<size_t>(perFrame) * 4;
  for (size_t at = 0; at < items.size(); at += chunk) {
    const size_t n = std::min(chunk, items.size() - at);
    emitFrame(out, command, std::span(items).subspan(at, n));
  }
}

void SimulatedDevice::onInfo(Out& out) {
  const auto id = static_cast<uint16_t>(config_.identity);
  const uint8_t identity[] = {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id & 0xFF),
                              FIRMWARE_MAJOR, FIRMWARE_MINOR};
  if (config_.infoLockOnly) {
    emitLocks(out);
    return;
  }
  emitFrame(out, cmd::INFO, identity);
  // A device with locked presets reports them in the lock form, after its identity.
  if (lockMask_ != 0)
    emitLocks(out);
}

void SimulatedDevice::emitLocks(Out& out) {
  const uint8_t locks[] = {LOCK_FORM,
                           PRESET_COUNT,
                           static_cast<uint8_t>(lockMask_ & 0xFF),
                           static_cast<uint8_t>(lockMask_ >> 8 & 0xFF),
                           static_cast<uint8_t>(lockMask_ >> 16 & 0xFF),
                           static_cast<uint8_t>(lockMask_ >> 24 & 0xFF)};
  emitFrame(out, cmd::INFO, locks);
}

void SimulatedDevice::refreshMeters() {
  const auto words = meters_.next();
  for (int w = 0; w < METER_WORD_COUNT; ++w)
    table_[IDX_METER_FIRST + w] = words[w];
}

void SimulatedDevice::onRead(Out& out, std::span<const uint8_t> payload) {
  std::vector<uint8_t> items;
  bool metersRefreshed = false;
  for (size_t at = 0; at + 1 < payload.size(); at += 2) {
    const int index = payload[at] << 8 | payload[at + 1];
    if (!ParameterTable::isValidIndex(index))
      continue;
    const bool meter = index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT;
    if (meter && !metersRefreshed) {
      refreshMeters();
      metersRefreshed = true;
    }
    appendItem(items, index, table_[index]);
  }
  emitItems(out, cmd::READ, items, MAX_ITEMS_PER_REPLY);
}

bool SimulatedDevice::storeValue(int index, uint16_t value) {
  if (!ParameterTable::isValidIndex(index) || isReadOnly(index))
    return false;
  table_[index] = value;
  // The running preset keeps its edits, so recalling it again brings them back.
  if (PresetBank::isPresetIndex(index))
    presets_.preset(currentPreset_).values[index] = value;
  return index == IDX_PRESET_CONTROL && value >> 8 == RECALL_OPERATION &&
         PresetBank::isValidNumber(value & 0xFF);
}

void SimulatedDevice::onWrite(Out& out, std::span<const uint8_t> payload) {
  std::vector<uint8_t> echo;
  int recallRequest = 0;
  for (size_t at = 0; at + 3 < payload.size(); at += 4) {
    const int index = payload[at] << 8 | payload[at + 1];
    const auto value = static_cast<uint16_t>(payload[at + 2] << 8 | payload[at + 3]);
    if (storeValue(index, value))
      recallRequest = value & 0xFF;
    echo.insert(echo.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                payload.begin() + static_cast<std::ptrdiff_t>(at + 4));
  }
  emitItems(out, cmd::WRITE, echo, MAX_ITEMS_PER_REPLY);
  if (recallRequest != 0)
    recall(recallRequest);
}

void SimulatedDevice::onBulkDump(Out& out) {
  refreshMeters();
  std::vector<uint8_t> items;
  items.reserve(PARAM_COUNT * 4);
  for (int index = 0; index < PARAM_COUNT; ++index)
    appendItem(items, index, table_[index]);
  emitItems(out, cmd::READ, items, DUMP_ITEMS_PER_REPORT);
}

void SimulatedDevice::onName(Out& out, std::span<const uint8_t> payload) {
  if (payload.empty() || !PresetBank::isValidNumber(payload[0]))
    return;
  const int p = payload[0];
  std::vector<uint8_t> reply{static_cast<uint8_t>(p)};
  const std::string& name = presets_.preset(p).name;
  reply.insert(reply.end(), name.begin(), name.end());
  emitFrame(out, cmd::NAME, reply);
}

void SimulatedDevice::recall(int p) {
  presets_.loadInto(p, table_);
  currentPreset_ = p;
  table_[IDX_CURRENT_PRESET] = static_cast<uint16_t>(p);
  table_[IDX_PRESET_CONTROL] = static_cast<uint16_t>(p);
}

void SimulatedDevice::onRecall(Out& out, std::span<const uint8_t> payload) {
  if (payload.empty() || !PresetBank::isValidNumber(payload[0]))
    return;
  const uint8_t p = payload[0];
  const uint8_t reply[] = {p};
  emitFrame(out, cmd::RECALL, reply);
  recall(p);
}

void SimulatedDevice::onStoreName(Out& out, std::span<const uint8_t> payload) {
  if (payload.empty() || !PresetBank::isValidNumber(payload[0]))
    return;
  const uint8_t p = payload[0];
  presets_.setName(p, std::string(payload.begin() + 1, payload.end()));
  const uint8_t reply[] = {p};
  emitFrame(out, cmd::STORE_NAME, reply);
}

void SimulatedDevice::onModuleText(Out& out, std::span<const uint8_t> payload) {
  const std::string text(payload.begin(), payload.end());
  const std::optional<std::string> reply = module_.handle(text);
  if (!reply)
    return;
  std::vector<uint8_t> bytes(reply->begin(), reply->end());
  bytes.insert(bytes.end(), std::begin(MODULE_TRAILER), std::end(MODULE_TRAILER));
  emitFrame(out, cmd::MODULE_TEXT, bytes);
}

std::optional<std::string> SimulatedDevice::moduleDatagram(std::string_view text) {
  std::lock_guard lock(mutex_);
  return module_.handle(text);
}

void SimulatedDevice::setLinkAddress(uint32_t address) {
  std::lock_guard lock(mutex_);
  module_.settings().linkAddress = address;
}

void SimulatedDevice::setModuleAddress(uint32_t address) {
  std::lock_guard lock(mutex_);
  module_.settings().address = address;
}

DeviceState SimulatedDevice::state() const {
  std::lock_guard lock(mutex_);
  DeviceState s;
  s.table = table_;
  for (int p = 1; p <= PRESET_COUNT; ++p)
    s.presets[p - 1] = presets_.preset(p);
  s.currentPreset = currentPreset_;
  s.lockMask = lockMask_;
  s.module = module_.settings();
  return s;
}

void SimulatedDevice::loadState(const DeviceState& s) {
  std::lock_guard lock(mutex_);
  table_ = s.table;
  for (int p = 1; p <= PRESET_COUNT; ++p)
    presets_.preset(p) = s.presets[p - 1];
  currentPreset_ = PresetBank::isValidNumber(s.currentPreset) ? s.currentPreset : 1;
  lockMask_ = s.lockMask;
  module_.settings() = s.module;
  // The identity is the device's own, whatever the saved table says.
  table_[IDX_DEVICE_ID] = static_cast<uint16_t>(config_.identity);
  table_[IDX_CURRENT_PRESET] = static_cast<uint16_t>(currentPreset_);
}

uint16_t SimulatedDevice::value(int index) const {
  std::lock_guard lock(mutex_);
  return ParameterTable::isValidIndex(index) ? table_[index] : 0;
}

void SimulatedDevice::setFrameObserver(FrameObserver observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

void SimulatedDevice::setUnplugged(bool unplugged) {
  std::lock_guard lock(mutex_);
  unplugged_ = unplugged;
}

} // namespace kv816
