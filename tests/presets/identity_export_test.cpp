// The identity a preset file records, whatever form the device's information replies take,
// and exports that refuse a table the device did not report whole.

#include <filesystem>

#include "link/packet.h"
#include "presets/preset_file.h"
#include "task_fixture.h"

namespace kv816::test {
namespace {

class IdentityExport : public TaskFixture {
protected:
  std::string path(const std::string& name) const { return (folder / name).string(); }
};

// Index 0 reading 20015 identifies the device; the information reply may add the identity
// form, but a device that answers only in the lock form, or whose replies are lost or
// arrive damaged, is the same device.
TEST_F(IdentityExport, EveryKindOfInformationReplyLeavesTheIdentityKnown) {
  using Editor = std::function<void(const SentFrame&, std::vector<LoopbackReply>&)>;
  auto onInfo = [](std::function<void(std::vector<LoopbackReply>&)> edit) -> Editor {
    return [edit](const SentFrame& f, std::vector<LoopbackReply>& replies) {
      if (f.command == cmd::INFO)
        edit(replies);
    };
  };
  const struct {
    const char* name;
    bool lockOnly;
    Editor editor;
  } cases[] = {
      {"identity form", false, nullptr},
      {"lock form only", true, nullptr},
      {"lost", false, onInfo([](std::vector<LoopbackReply>& r) { r.clear(); })},
      {"corrupted", false, onInfo([](std::vector<LoopbackReply>& r) {
         for (LoopbackReply& reply : r)
           reply.bytes[3] ^= 0x01;
       })},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    worker.reset();
    setReplyEditor(c.editor);
    SimConfig config;
    config.infoLockOnly = c.lockOnly;
    start(config);
    EXPECT_EQ(link().deviceInfo().deviceId.load(), DEVICE_ID);

    const std::string file = path(std::string(c.name) + ".jib");
    inputs.setName(file);
    ASSERT_EQ(run(TASK_EXPORT), TaskResult::Done);
    PresetFile written(inputs.folders());
    ASSERT_EQ(written.readPreset(file), PresetResult::Done);
    EXPECT_EQ(written.header().modelId, DEVICE_ID);
    // The file it wrote is one this device accepts.
    EXPECT_EQ(run(TASK_IMPORT), TaskResult::Done);
    EXPECT_EQ(events.messageCount("Equipment model is wrong!"), 0);
  }
}

// Drops index `missing` from every value report the device sends.
void dropReports(std::vector<LoopbackReply>& replies, int missing) {
  for (LoopbackReply& reply : replies) {
    const std::vector<uint8_t>& b = reply.bytes;
    if (b.size() < 5 || b[2] != cmd::READ)
      continue;
    std::vector<uint8_t> kept;
    for (size_t at = 3; at + 4 <= b.size() - 2; at += 4)
      if ((b[at] << 8 | b[at + 1]) != missing)
        kept.insert(kept.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
                    b.begin() + static_cast<std::ptrdiff_t>(at + 4));
    reply.bytes = buildFrame(cmd::READ, kept);
  }
}

TEST_F(IdentityExport, ExportOfATableWithAnEntryTheDeviceNeverReportsWritesNoFile) {
  constexpr int MISSING = 500;
  start();
  setReplyEditor([](const SentFrame&, std::vector<LoopbackReply>& r) { dropReports(r, MISSING); });
  inputs.setName(path("partial.jib"));
  EXPECT_EQ(run(TASK_EXPORT), TaskResult::ReadFailed);
  EXPECT_FALSE(std::filesystem::exists(path("partial.jib")));
  EXPECT_EQ(link().state().readMissing.load(), 1);
  EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Read Data Failed!", "Save Failed!"}));
}

} // namespace
} // namespace kv816::test
