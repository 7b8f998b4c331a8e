#include "edit/edit_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/encodings.h"

namespace kv816 {
namespace {

using F = ChannelFunction;
using std::chrono::milliseconds;
using Values = std::array<int32_t, PARAM_COUNT>;

constexpr int OUT1 = 4;
constexpr int OUT2 = 5;
constexpr int OUT3 = 6;

class EditSessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    table->loadDefaults();
    // Outputs 1 and 3 share a link group, as the device reported it.
    table->record(indexOf(F::LinkMask, OUT3)).value.store(maskOfGroup(0));
  }

  // The device has echoed everything: no entry is marked to send.
  void settle() {
    for (int i = 0; i < PARAM_COUNT; ++i)
      table->applyEcho(i, table->wireValue(i));
  }
  Values values() const {
    Values v{};
    for (int i = 0; i < PARAM_COUNT; ++i)
      v[static_cast<std::size_t>(i)] = table->value(i);
    return v;
  }
  std::vector<int> marked() const {
    std::vector<int> indexes;
    for (int i = 0; i < PARAM_COUNT; ++i) {
      if (table->mustSend(i))
        indexes.push_back(i);
    }
    return indexes;
  }
  int get(F function, int channel, int band = 0) const {
    return table->value(indexOf(function, channel, band));
  }
  std::vector<int> edit(F function, int channel, int value, GestureKey key = 0, int atMs = 0,
                        int band = 0) {
    const int index = indexOf(function, channel, band);
    return session.apply(subjectOfIndex(index, EditSource::Page), {{index, value}}, key,
                         start + milliseconds(atMs));
  }
  // A PEQ point drag writes type, frequency, Q and gain of one band together.
  std::vector<int> dragPoint(int channel, int band, double hz, double db, int atMs) {
    const std::vector<ParameterEdit> edits = {
        {indexOf(F::PeqType, channel, band), 7},
        {indexOf(F::PeqFreq, channel, band), encodeFrequency(hz)},
        {indexOf(F::PeqQ, channel, band), encodeQ(2.0, false)},
        {indexOf(F::PeqGain, channel, band), encodeEqGain(db)}};
    return session.apply({channel, F::PeqGain, band, EditSource::Graph}, edits, 77,
                         start + milliseconds(atMs));
  }

  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
  EditSession session{*table};
  EditClock::time_point start = EditClock::now();
};

// One gesture step per drag, per burst on one control, per typed value.
struct Gesture {
  GestureKey key; // 0: a click or typed value
  int atMs;
  int gain;                // the value written to output 2's gain
  bool endBefore = false;  // endGesture() before this apply (drag released)
  bool holdBefore = false; // beginGesture(key) before this apply (drag pressed)
};

struct GestureCase {
  std::string name;
  std::vector<Gesture> gestures;
  std::size_t steps;
};

class GestureSteps : public EditSessionTest, public ::testing::WithParamInterface<GestureCase> {};

TEST_P(GestureSteps, CountsOneStepPerGesture) {
  for (const Gesture& g : GetParam().gestures) {
    if (g.endBefore)
      session.endGesture();
    if (g.holdBefore)
      session.beginGesture(g.key);
    edit(F::Gain, OUT2, g.gain, g.key, g.atMs);
  }
  EXPECT_EQ(session.undoDepth(), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GestureSteps,
    ::testing::Values(
        GestureCase{"WheelBurstMerges", {{1, 0, 361}, {1, 200, 362}, {1, 400, 363}}, 1},
        GestureCase{"GapOfExactly500msStillMerges", {{1, 0, 361}, {1, 500, 362}}, 1},
        GestureCase{"BurstSplitsAfter500ms", {{1, 0, 361}, {1, 100, 362}, {1, 701, 363}}, 2},
        GestureCase{"TwoControlsTwoSteps", {{1, 0, 361}, {2, 100, 362}}, 2},
        GestureCase{
            "BackToTheFirstControlIsANewStep", {{1, 0, 361}, {2, 50, 362}, {1, 100, 363}}, 3},
        GestureCase{"EndGestureCloses", {{1, 0, 361}, {1, 100, 362, true}}, 2},
        GestureCase{"KeyZeroNeverMerges", {{0, 0, 361}, {0, 100, 362}}, 2},
        GestureCase{"HeldDragSpansLongPauses",
                    {{3, 0, 361, false, true}, {3, 2000, 362}, {3, 9000, 363}},
                    1},
        GestureCase{"ReleasedDragThenNewDrag",
                    {{3, 0, 361, false, true}, {3, 2000, 362}, {3, 2100, 363, true, true}},
                    2},
        GestureCase{"DragBackToItsStartLeavesNoStep", {{1, 0, 365}, {1, 100, 360}}, 0},
        GestureCase{"ValueEqualToTheTableRecordsNothing", {{0, 0, 360}}, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(EditSessionTest, MergedStepKeepsTheFirstOldValue) {
  edit(F::Gain, OUT2, 361, 1, 0);
  edit(F::Gain, OUT2, 362, 1, 100);
  edit(F::Gain, OUT2, 363, 1, 200);
  ASSERT_EQ(session.lastStep()->changes.size(), 1u);
  EXPECT_EQ(session.lastStep()->changes[0], (ParameterChange{indexOf(F::Gain, OUT2), 360, 363}));
  session.undo();
  EXPECT_EQ(get(F::Gain, OUT2), 360);
}

TEST_F(EditSessionTest, DragUndoRedoRestoresTheChannelAndItsLinkedChannelWithSendMarks) {
  settle();
  const Values before = values();
  dragPoint(OUT1, 3, 1000, 3.0, 0);
  dragPoint(OUT1, 3, 1250, 4.5, 40);
  const std::vector<int> written = dragPoint(OUT1, 3, 1600, 6.0, 80);
  session.endGesture();
  const Values after = values();
  ASSERT_EQ(session.undoDepth(), 1u);
  EXPECT_EQ(get(F::PeqGain, OUT3, 3), encodeEqGain(6.0));
  EXPECT_EQ(get(F::PeqFreq, OUT3, 3), 1600);
  EXPECT_NE(std::find(written.begin(), written.end(), indexOf(F::PeqGain, OUT3, 3)), written.end());

  settle();
  const std::vector<int> undone = session.undo();
  EXPECT_EQ(values(), before);
  std::vector<int> sortedUndone = undone;
  std::sort(sortedUndone.begin(), sortedUndone.end());
  EXPECT_EQ(marked(), sortedUndone);
  const std::vector<int> expected = {indexOf(F::PeqFreq, OUT1, 3), indexOf(F::PeqGain, OUT1, 3),
                                     indexOf(F::PeqQ, OUT1, 3),    indexOf(F::PeqFreq, OUT3, 3),
                                     indexOf(F::PeqGain, OUT3, 3), indexOf(F::PeqQ, OUT3, 3)};
  EXPECT_EQ(sortedUndone, expected); // the type was already 7: never written, never undone

  settle();
  session.redo();
  EXPECT_EQ(values(), after);
  EXPECT_EQ(marked(), expected);
  EXPECT_FALSE(session.canRedo());
  EXPECT_TRUE(session.canUndo());
}

TEST_F(EditSessionTest, UnlinkedAndInactiveChannelsDoNotFollow) {
  // Output 7 joins group 0 too, but the I/O mode shows outputs 1..6 only.
  table->record(indexOf(F::LinkMask, 10)).value.store(maskOfGroup(0));
  session.setActiveChannels(activeChannelsOf(2));
  edit(F::Mute, OUT1, 1);
  EXPECT_EQ(get(F::Mute, OUT3), 1);
  EXPECT_EQ(get(F::Mute, OUT2), 0);
  EXPECT_EQ(get(F::Mute, 10), 0);
}

TEST_F(EditSessionTest, GroupChoiceCopiesTheGroupSourceAndUndoesAsOneStep) {
  edit(F::Gain, OUT2, 400); // output 2 differs from output 1
  settle();
  session.clearHistory();
  const Values before = values();
  // Home page: output 2 chooses LINK 1, so output 1 (the channel of group 0) is the source.
  const int mask = indexOf(F::LinkMask, OUT2);
  session.apply({OUT2, F::LinkMask, -1, EditSource::LinkGroup}, {{mask, maskOfGroup(0)}});
  EXPECT_EQ(get(F::Gain, OUT2), 360);
  EXPECT_EQ(session.undoDepth(), 1u);
  session.undo();
  EXPECT_EQ(values(), before);
  EXPECT_EQ(marked(), (std::vector<int>{mask, indexOf(F::Gain, OUT2)}));
}

TEST_F(EditSessionTest, FileEditsAndHeaderEditsPullNoLinkedChannel) {
  const int gain = indexOf(F::Gain, OUT1);
  session.apply({-1, std::nullopt, -1, EditSource::File}, {{gain, 300}});
  edit(F::Routing, OUT1, 3);
  EXPECT_EQ(get(F::Gain, OUT3), 360);
  EXPECT_EQ(get(F::Routing, OUT3), 15);
}

TEST_F(EditSessionTest, NewEditAfterUndoDropsTheRedoSteps) {
  edit(F::Mute, OUT2, 1);
  edit(F::Phase, OUT2, 1);
  session.undo();
  ASSERT_TRUE(session.canRedo());
  edit(F::Gain, OUT2, 300);
  EXPECT_FALSE(session.canRedo());
  EXPECT_TRUE(session.redo().empty());
  EXPECT_EQ(session.undoDepth(), 2u);
}

TEST_F(EditSessionTest, HistoryKeepsTheNewest200Steps) {
  for (int step = 1; step <= 205; ++step)
    edit(F::Delay, OUT2, step);
  EXPECT_EQ(session.undoDepth(), EditSession::HISTORY_LIMIT);
  while (session.canUndo())
    session.undo();
  EXPECT_EQ(get(F::Delay, OUT2), 5); // the five oldest steps were dropped
  EXPECT_EQ(session.redoDepth(), EditSession::HISTORY_LIMIT);
}

TEST_F(EditSessionTest, ClearHistoryForgetsBothDirectionsAndKeepsTheTable) {
  std::vector<EditOrigin> origins;
  session.addListener([&](const std::vector<int>&, EditOrigin o) { origins.push_back(o); });
  edit(F::Mute, OUT2, 1);
  edit(F::Phase, OUT2, 1);
  session.undo();
  session.clearHistory();
  EXPECT_FALSE(session.canUndo());
  EXPECT_FALSE(session.canRedo());
  EXPECT_FALSE(session.undoSubject().has_value());
  EXPECT_TRUE(session.undo().empty());
  EXPECT_EQ(get(F::Mute, OUT2), 1);
  EXPECT_EQ(origins, (std::vector<EditOrigin>{EditOrigin::Edit, EditOrigin::Edit, EditOrigin::Undo,
                                              EditOrigin::HistoryCleared}));
}

TEST_F(EditSessionTest, ListenersHearEveryWrittenIndexWithItsOrigin) {
  std::vector<std::pair<std::vector<int>, EditOrigin>> heard;
  const int id = session.addListener(
      [&](const std::vector<int>& indexes, EditOrigin o) { heard.emplace_back(indexes, o); });
  edit(F::Mute, OUT1, 1);
  edit(F::Mute, OUT1, 1); // equal: nothing written, nobody told
  session.undo();
  session.redo();
  session.removeListener(id);
  edit(F::Phase, OUT1, 1);
  const std::vector<int> both = {indexOf(F::Mute, OUT1), indexOf(F::Mute, OUT3)};
  const std::vector<int> bothReversed = {indexOf(F::Mute, OUT3), indexOf(F::Mute, OUT1)};
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0], std::make_pair(both, EditOrigin::Edit));
  EXPECT_EQ(heard[1], std::make_pair(bothReversed, EditOrigin::Undo));
  EXPECT_EQ(heard[2], std::make_pair(both, EditOrigin::Redo));
}

TEST_F(EditSessionTest, UndoAndRedoSubjectsNameTheSteps) {
  dragPoint(OUT2, 2, 500, 1.0, 0);
  edit(F::Mute, OUT1, 1);
  EXPECT_EQ(session.undoSubject(), (EditSubject{OUT1, F::Mute, -1, EditSource::Page}));
  session.undo();
  EXPECT_EQ(session.redoSubject(), (EditSubject{OUT1, F::Mute, -1, EditSource::Page}));
  EXPECT_EQ(session.undoSubject(), (EditSubject{OUT2, F::PeqGain, 2, EditSource::Graph}));
}

TEST_F(EditSessionTest, IndexesOutsideTheTableAreSkipped) {
  EXPECT_TRUE(session.apply({}, {{-1, 5}, {PARAM_COUNT, 5}}).empty());
  EXPECT_FALSE(session.canUndo());
}

TEST(SubjectOfIndex, NamesChannelFunctionAndBand) {
  struct Case {
    int index;
    EditSubject expected;
  };
  const Case cases[] = {
      {797, {OUT2, F::PeqGain, 3, EditSource::Remote}},
      {149, {0, F::GeqGain, 30, EditSource::Remote}},
      {707, {OUT1, F::Routing, -1, EditSource::Remote}},
      {indexOf(F::Gain, 11), {11, F::Gain, -1, EditSource::Remote}},
      {IDX_CURRENT_PRESET, {-1, std::nullopt, -1, EditSource::Remote}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(subjectOfIndex(c.index, EditSource::Remote), c.expected) << c.index;
}

} // namespace
} // namespace kv816
