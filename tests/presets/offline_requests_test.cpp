// Device requests made while the link is down: the desktop worker refuses them, so none
// runs by surprise when the device comes back.

#include <filesystem>

#include "link/preset_tasks.h"
#include "presets/preset_codec.h"
#include "task_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

constexpr uint8_t KEEP_ALIVE[] = {IDX_HOST_ALIVE >> 8, IDX_HOST_ALIVE & 0xFF, 0x00, 0x01};

class OfflineRequests : public TaskFixture {
protected:
  void startDesktopWorker() {
    WorkerOptions options;
    options.dropTasksWhenDown = true;
    startWorker({}, options);
    ASSERT_TRUE(waitRunning());
  }

  // A file that would change every channel entry of the device.
  std::string writeFile() {
    std::vector<int32_t> values(PARAM_COUNT);
    for (int i = 0; i < PARAM_COUNT; ++i)
      values[static_cast<size_t>(i)] = (i * 7 + 3) & 0x7FFF;
    PresetHeader header;
    header.modelId = DEVICE_ID;
    std::mt19937 random(5);
    const auto bytes = encodePresetImage(buildPresetImage(header, values, random), random);
    const std::string path = (folder.path() / "show.jib").string();
    writeBytes(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }

  void loseLink() {
    silent = true;
    ASSERT_TRUE(events.waitFor(
        [&] {
          return worker->phase() == WorkerPhase::Opening ||
                 worker->phase() == WorkerPhase::Handshaking;
        },
        8s));
  }

  // Frames after `from` that change the device: writes other than the keep-alive, recall
  // and name-store requests.
  int changesSentAfter(size_t from) const {
    const std::vector<SentFrame> frames = sent();
    int changes = 0;
    for (size_t i = from; i < frames.size(); ++i) {
      const SentFrame& f = frames[i];
      const bool keepAlive =
          f.command == cmd::WRITE && std::equal(f.payload.begin(), f.payload.end(),
                                                std::begin(KEEP_ALIVE), std::end(KEEP_ALIVE));
      if ((f.command == cmd::WRITE && !keepAlive) || f.command == cmd::RECALL ||
          f.command == cmd::STORE_NAME)
        ++changes;
    }
    return changes;
  }
};

struct DownRequest {
  const char* what;
  std::function<void()> raise;
};

TEST_F(OfflineRequests, NothingRequestedWhileDownRunsAfterTheLinkReturns) {
  const std::vector<DownRequest> requests = {
      {"import",
       [this] {
         inputs.setName(writeFile());
         link().taskFlags().set(TASK_IMPORT, 1);
       }},
      {"export",
       [this] {
         inputs.setName((folder.path() / "out.jib").string());
         link().taskFlags().set(TASK_EXPORT, 1);
       }},
      {"recall", [this] { requestRecall(link(), 3); }},
      {"preset name", [this] { requestNameStore(link(), 2, u"Stage left"); }},
  };
  startDesktopWorker();
  for (const DownRequest& request : requests) {
    SCOPED_TRACE(request.what);
    const DeviceState before = device->state();
    loseLink();
    request.raise();
    const size_t mark = sent().size();
    silent = false;
    ASSERT_TRUE(waitRunning());
    std::this_thread::sleep_for(600ms); // several main-loop cycles with their task passes
    EXPECT_EQ(changesSentAfter(mark), 0);
    const DeviceState after = device->state();
    for (int i = 0; i < PARAM_COUNT; ++i) {
      if (!deviceHeld(i)) {
        ASSERT_EQ(after.table[i], before.table[i]) << "index " << i;
      }
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "out.jib"));
    for (int t = WORKER_TASK_FIRST; t <= WORKER_TASK_LAST; ++t)
      EXPECT_FALSE(worker->link().taskFlags().pending(t)) << "task " << t;
  }
}

} // namespace
} // namespace kv816::test
