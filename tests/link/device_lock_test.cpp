#include <gtest/gtest.h>

#include <unistd.h>

#include <thread>

#include "link/transport_support.h"
#include "link/transports/device_lock.h"

namespace kv816 {
namespace {

// The link takes the device lock on a worker thread that may end while the program keeps
// the device: the lock belongs to the holder object, not to the thread that took it.
TEST(DeviceLock, HeldByItsObjectUntilReleasedWhateverThreadTookIt) {
  test::ScratchFolder scratch;
  DeviceLock held;
  std::thread([&] { ASSERT_TRUE(held.tryAcquire("dev", scratch.path())); }).join();
  ASSERT_TRUE(held.held());

  DeviceLock other;
  EXPECT_FALSE(other.tryAcquire("dev", scratch.path()));
  EXPECT_FALSE(other.held());
  EXPECT_EQ(DeviceLock::holderPid("dev", scratch.path()), static_cast<int>(::getpid()));
  EXPECT_TRUE(other.tryAcquire("another-device", scratch.path()));

  held.release();
  EXPECT_EQ(DeviceLock::holderPid("dev", scratch.path()), 0);
  EXPECT_TRUE(other.tryAcquire("dev", scratch.path()));
  EXPECT_FALSE(held.tryAcquire("dev", scratch.path()));
}

} // namespace
} // namespace kv816
