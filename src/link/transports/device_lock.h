#pragma once
// A named lock shared by every program instance on this computer, so that only one of
// them drives a given device. On Linux it is a lock file with flock(): the kernel drops
// the lock when the holder exits or crashes, so a stale file never blocks anybody. The
// holder writes its PID into the file so a refused instance can say who has the device.
//
// Threads: one owner thread; not shared.

#include <string>

namespace kv816 {

class DeviceLock {
public:
  // The folder that holds the lock files: $XDG_RUNTIME_DIR, else the temporary folder.
  static std::string defaultFolder();

  DeviceLock() = default;
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
  ~DeviceLock() { release(); }

  // Takes the lock `name` in `folder` (empty: defaultFolder()) without waiting, first
  // letting go of a lock held from before. False when another holder has it or the lock
  // file cannot be created.
  bool tryAcquire(const std::string& name, const std::string& folder = {});
  void release();
  // The PID the holder of lock `name` wrote into its file; 0 when free or unknown.
  static int holderPid(const std::string& name, const std::string& folder = {});
  bool held() const { return fd_ >= 0; }

private:
  int fd_ = -1;
};

} // namespace kv816
