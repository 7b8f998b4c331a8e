#include "edit/edit_session.h"

#include <algorithm>
#include <array>
#include <utility>

#include "model/channel_copy.h"

namespace kv816 {

namespace {

using Snapshot = std::array<int32_t, PARAM_COUNT>;

Snapshot snapshotOf(const ParameterTable& table) {
  Snapshot values{};
  for (int index = 0; index < PARAM_COUNT; ++index)
    values[static_cast<std::size_t>(index)] = table.value(index);
  return values;
}

void addUnique(std::vector<int>& list, int value) {
  if (std::find(list.begin(), list.end(), value) == list.end())
    list.push_back(value);
}

// The channel whose block the linked channels copy after an edit of `index`, or -1. A
// group choice makes the channel whose own number is the chosen group the source.
int followSource(int index, int32_t value, ActiveChannels active) {
  const IndexLocation where = locateIndex(index);
  if (where.isGlobal())
    return -1;
  if (where.function == ChannelFunction::LinkMask) {
    if (isInput(where.channel))
      return groupOfMask(value, active.inputs);
    return INPUT_COUNT + groupOfMask(value, active.outputs);
  }
  if (index < blockStart(where.channel) || index > blockEnd(where.channel))
    return -1;
  return where.channel;
}

} // namespace

EditSession::EditSession(ParameterTable& table, ActiveChannels active)
    : table_(table), active_(active) {}

void EditSession::setActiveChannels(ActiveChannels active) {
  active_ = active;
}

std::vector<int> EditSession::apply(const EditSubject& subject,
                                    const std::vector<ParameterEdit>& edits, GestureKey gestureKey,
                                    EditClock::time_point now) {
  const Snapshot before = snapshotOf(table_);
  std::vector<int> written;
  std::vector<int> sources;
  for (const ParameterEdit& edit : edits) {
    if (!ParameterTable::isValidIndex(edit.index) || table_.value(edit.index) == edit.value)
      continue;
    table_.setParameter(edit.index, edit.value);
    addUnique(written, edit.index);
    const int source = followSource(edit.index, edit.value, active_);
    if (source >= 0 && subject.source != EditSource::File)
      addUnique(sources, source);
  }
  for (int source : sources) {
    for (int index : propagateLink(table_, source, active_))
      addUnique(written, index);
  }
  std::vector<ParameterChange> changes;
  for (int index : written) {
    const int32_t old = before[static_cast<std::size_t>(index)];
    if (old != table_.value(index))
      changes.push_back({index, old, table_.value(index)});
  }
  if (!changes.empty())
    record(subject, std::move(changes), gestureKey, joinsOpenStep(gestureKey, now), now);
  if (!written.empty())
    notify(written, EditOrigin::Edit);
  return written;
}

bool EditSession::joinsOpenStep(GestureKey gestureKey, EditClock::time_point now) const {
  if (!stepOpen_ || gestureKey == 0 || gestureKey != openKey_ || undo_.empty())
    return false;
  return openHeld_ || now - lastApply_ <= MERGE_WINDOW;
}

void EditSession::record(const EditSubject& subject, std::vector<ParameterChange> changes,
                         GestureKey gestureKey, bool join, EditClock::time_point now) {
  redo_.clear();
  lastApply_ = now;
  if (!join) {
    undo_.push_back({subject, std::move(changes)});
    if (undo_.size() > HISTORY_LIMIT)
      undo_.pop_front();
    openHeld_ = openHeld_ && gestureKey == openKey_;
    openKey_ = gestureKey;
    stepOpen_ = gestureKey != 0;
    return;
  }
  std::vector<ParameterChange>& step = undo_.back().changes;
  for (const ParameterChange& change : changes) {
    auto same = std::find_if(step.begin(), step.end(),
                             [&](const ParameterChange& c) { return c.index == change.index; });
    if (same == step.end())
      step.push_back(change);
    else
      same->after = change.after;
  }
  // A drag back to where it started leaves nothing to undo.
  std::erase_if(step, [](const ParameterChange& c) { return c.before == c.after; });
  if (step.empty()) {
    undo_.pop_back();
    stepOpen_ = false;
  }
}

void EditSession::beginGesture(GestureKey gestureKey) {
  stepOpen_ = false;
  openKey_ = gestureKey;
  openHeld_ = gestureKey != 0;
}

void EditSession::endGesture() {
  stepOpen_ = false;
  openHeld_ = false;
}

std::vector<int> EditSession::writeBack(const EditGroup& step, bool useBefore) {
  std::vector<int> written;
  auto write = [&](const ParameterChange& change) {
    if (table_.copyIfChanged(change.index, useBefore ? change.before : change.after))
      written.push_back(change.index);
  };
  if (useBefore)
    std::for_each(step.changes.rbegin(), step.changes.rend(), write);
  else
    std::for_each(step.changes.begin(), step.changes.end(), write);
  return written;
}

std::vector<int> EditSession::undo() {
  if (undo_.empty())
    return {};
  endGesture();
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
  std::vector<int> written = writeBack(redo_.back(), true);
  notify(written, EditOrigin::Undo);
  return written;
}

std::vector<int> EditSession::redo() {
  if (redo_.empty())
    return {};
  endGesture();
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  std::vector<int> written = writeBack(undo_.back(), false);
  notify(written, EditOrigin::Redo);
  return written;
}

std::optional<EditSubject> EditSession::undoSubject() const {
  if (undo_.empty())
    return std::nullopt;
  return undo_.back().subject;
}

std::optional<EditSubject> EditSession::redoSubject() const {
  if (redo_.empty())
    return std::nullopt;
  return redo_.back().subject;
}

void EditSession::clearHistory() {
  undo_.clear();
  redo_.clear();
  endGesture();
  notify({}, EditOrigin::HistoryCleared);
}

int EditSession::addListener(EditListener listener) {
  listeners_.push_back({nextListenerId_, std::move(listener)});
  return nextListenerId_++;
}

void EditSession::removeListener(int id) {
  std::erase_if(listeners_, [id](const ListenerSlot& slot) { return slot.id == id; });
}

void EditSession::notify(const std::vector<int>& indexes, EditOrigin origin) {
  // A copy: a listener may remove itself while it is told.
  const std::vector<ListenerSlot> listeners = listeners_;
  for (const ListenerSlot& slot : listeners)
    slot.call(indexes, origin);
}

} // namespace kv816
