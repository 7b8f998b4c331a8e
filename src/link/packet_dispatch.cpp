#include "link/packet_dispatch.h"

#include <utility>

#include "link/device_info.h"
#include "link/packet.h"
#include "link/preset_names.h"
#include "link/task_flags.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr size_t ITEM_SIZE = 4;
constexpr size_t LOCK_FORM_SIZE = 6;

// Calls f(index, value) for every whole item; a trailing partial item is left alone.
template <typename F> void forEachItem(std::span<const uint8_t> p, F&& f) {
  for (size_t i = 0; i + ITEM_SIZE <= p.size(); i += ITEM_SIZE)
    f((p[i] << 8) | p[i + 1], static_cast<uint16_t>((p[i + 2] << 8) | p[i + 3]));
}
} // namespace

PacketDispatcher::PacketDispatcher(ParameterTable& table, DeviceInfo& info, PresetNames& names,
                                   TaskFlags& flags, ModuleReply moduleReply)
    : table_(table), info_(info), names_(names), flags_(flags),
      moduleReply_(std::move(moduleReply)) {}

bool PacketDispatcher::dispatch(uint8_t command, std::span<const uint8_t> payload) {
  switch (command) {
  case cmd::INFO:
    onInfo(payload);
    return true;
  case cmd::RECALL:
    flags_.set(FLAG_RECALL_CONFIRMED, 1);
    return true;
  case cmd::WRITE:
    onEcho(payload);
    return true;
  case cmd::NAME:
    onName(payload);
    return true;
  case cmd::READ:
    onValues(payload);
    return true;
  case cmd::STORE_NAME:
    flags_.set(FLAG_NAME_STORED, 16);
    return true;
  case cmd::MODULE_TEXT:
    // ASCII text followed by two bytes the text is not part of.
    if (payload.size() >= 2 && moduleReply_) {
      const auto text = payload.first(payload.size() - 2);
      moduleReply_({reinterpret_cast<const char*>(text.data()), text.size()});
    }
    return true;
  default:
    return false;
  }
}

// Lock form [1 or 2, count, m0..m3] (mask little-endian) or identity form [id high, id low,
// version, version]. A reply too short for its form changes nothing.
void PacketDispatcher::onInfo(std::span<const uint8_t> p) {
  if (p.empty())
    return;
  if (p[0] == 1 || p[0] == 2) {
    if (p.size() < LOCK_FORM_SIZE)
      return;
    info_.presetCount.store(p[1], relaxed);
    info_.lockMask.store(static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[3]) << 8 |
                             static_cast<uint32_t>(p[4]) << 16 | static_cast<uint32_t>(p[5]) << 24,
                         relaxed);
    info_.lockReports.fetch_add(1, relaxed);
  } else if (p.size() >= 2) {
    info_.deviceId.store((p[0] << 8) | p[1], relaxed);
    info_.identityReports.fetch_add(1, relaxed);
  }
}

// The device echoes every item it stored; the echo, not the send, clears the mark.
void PacketDispatcher::onEcho(std::span<const uint8_t> p) {
  forEachItem(p, [this](int index, uint16_t value) { table_.applyEcho(index, value); });
}

void PacketDispatcher::onValues(std::span<const uint8_t> p) {
  forEachItem(p, [this](int index, uint16_t value) {
    table_.applyReport(index, value);
    if (index != IDX_CURRENT_PRESET)
      return;
    // A preset number beyond the device's count says nothing about the lock.
    if (value <= info_.presetCount.load(relaxed)) {
      const uint32_t mask = info_.lockMask.load(relaxed);
      info_.presetLocked.store((mask >> (value % 32)) & 1, relaxed);
    }
  });
}

void PacketDispatcher::onName(std::span<const uint8_t> p) {
  if (!p.empty() && names_.storeReply(p[0], p.subspan(1))) {
    ParameterRecord& r = table_.record(IDX_PRESET_CONTROL);
    r.value.store(p[0], relaxed);
    r.uiRefresh.store(1, relaxed);
    r.mustSend.store(0, relaxed);
  }
  flags_.set(FLAG_NAME_REPLY, 4);
}

} // namespace kv816
