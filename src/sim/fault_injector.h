#pragma once
// Misbehaviour on demand for the frames the simulated device sends: each frame may be
// dropped, corrupted (one bit flipped) or held back, and after a given number of frames
// the device goes silent. Every decision comes from one std::mt19937 seeded by the caller,
// so a run with the same seed and the same traffic misbehaves the same way.
//
// Not thread-safe: the SimulatedDevice calls it under its own lock.

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "link/delayed_queue.h"

namespace kv816 {

struct FaultConfig {
  double dropProbability = 0.0;    // 0..1
  double corruptProbability = 0.0; // 0..1
  double delayProbability = 1.0;   // 0..1, applies when delay is above 0
  std::chrono::milliseconds delay{0};
  int64_t silentAfter = -1; // frames sent before the device stops answering; -1 never
};

// A frame on its way out, with the time to hold it back before it is written.
using OutgoingFrame = DelayedBytes;

class FaultInjector {
public:
  explicit FaultInjector(FaultConfig config = {}, uint32_t seed = 1);

  // Decides the fate of one outgoing frame: nothing when it is dropped or the device has
  // gone silent, else the frame (possibly with one bit flipped) and its delay.
  std::optional<OutgoingFrame> apply(std::vector<uint8_t> frame);

  const FaultConfig& config() const { return config_; }
  int64_t framesOffered() const { return offered_; }

private:
  bool chance(double probability);

  FaultConfig config_;
  std::mt19937 rng_;
  int64_t offered_ = 0;
};

} // namespace kv816
