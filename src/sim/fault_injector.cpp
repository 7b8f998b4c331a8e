#include "sim/fault_injector.h"

namespace kv816 {

FaultInjector::FaultInjector(FaultConfig config, uint32_t seed) : config_(config), rng_(seed) {}

bool FaultInjector::chance(double probability) {
  if (probability <= 0.0)
    return false;
  if (probability >= 1.0)
    return true;
  return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < probability;
}

std::optional<OutgoingFrame> FaultInjector::apply(std::vector<uint8_t> frame) {
  const int64_t index = offered_++;
  if (config_.silentAfter >= 0 && index >= config_.silentAfter)
    return std::nullopt;
  if (chance(config_.dropProbability))
    return std::nullopt;
  if (!frame.empty() && chance(config_.corruptProbability)) {
    const auto at = std::uniform_int_distribution<size_t>(0, frame.size() - 1)(rng_);
    const auto bit = std::uniform_int_distribution<int>(0, 7)(rng_);
    frame[at] = static_cast<uint8_t>(frame[at] ^ (1u << bit));
  }
  OutgoingFrame out{std::move(frame), std::chrono::milliseconds{0}};
  if (config_.delay.count() > 0 && chance(config_.delayProbability))
    out.delay = config_.delay;
  return out;
}

} // namespace kv816
