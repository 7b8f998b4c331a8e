#pragma once
// The one path for a user's edit: writes the table with its send marks, pulls the linked
// channels along (from the table's own link masks) and keeps the undo history.
//
// Threads: the thread that edits the table (the GUI thread) and only it; nothing here
// blocks or waits on the link. Device reports and full reads write the table directly and
// never enter the history.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "edit/edit_group.h"
#include "model/link_groups.h"
#include "model/parameter_table.h"

namespace kv816 {

using EditClock = std::chrono::steady_clock;

// Names the control a gesture comes from (its address will do); 0 never merges.
using GestureKey = std::uintptr_t;

// Why the table changed, for the change listeners.
enum class EditOrigin : uint8_t { Edit, Undo, Redo, HistoryCleared };

// Told every index an apply, undo or redo wrote (empty for HistoryCleared).
using EditListener = std::function<void(const std::vector<int>& indexes, EditOrigin origin)>;

class EditSession {
public:
  // Steps kept; the oldest is dropped beyond this.
  static constexpr std::size_t HISTORY_LIMIT = 200;
  // A later edit of the same control within this time joins the same step.
  static constexpr std::chrono::milliseconds MERGE_WINDOW{500};

  explicit EditSession(ParameterTable& table, ActiveChannels active = {});
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  // The channels the I/O mode shows: only these follow a linked channel.
  void setActiveChannels(ActiveChannels active);
  ActiveChannels activeChannels() const { return active_; }

  // Writes every edit whose value differs from the table (setParameter: value and send
  // mark), then copies the block of every channel an edit touched to the channels linked
  // with it. A LinkMask edit makes the channel whose number is the chosen group the source,
  // as choosing a group on the home page does. File edits copy nothing.
  // Records one step with the old values of everything written. The step joins the open
  // one when gestureKey is non-zero, equals the open step's key, and the previous apply of
  // that step was at most MERGE_WINDOW before `now` (or the gesture was begun with
  // beginGesture); a joined step keeps its first old values and its first subject.
  // Indexes outside the table are skipped. Returns every index written, in write order;
  // empty, and nothing recorded, when every value equals the table's.
  std::vector<int> apply(const EditSubject& subject, const std::vector<ParameterEdit>& edits,
                         GestureKey gestureKey = 0, EditClock::time_point now = EditClock::now());

  // A drag: every apply with this key joins one step until endGesture(), however long the
  // pauses between them.
  void beginGesture(GestureKey gestureKey);
  // Closes the open step (drag released, focus left); the next apply starts a new step.
  void endGesture();

  // Write the old (undo) or new (redo) values of one step back through the table with
  // their send marks, so the device and the linked channels end exactly as they were.
  // Return the indexes whose value changed; empty when there is nothing to undo or redo.
  std::vector<int> undo();
  std::vector<int> redo();

  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  // What the next undo or redo would change back, for the Edit menu.
  std::optional<EditSubject> undoSubject() const;
  std::optional<EditSubject> redoSubject() const;
  std::size_t undoDepth() const { return undo_.size(); }
  std::size_t redoDepth() const { return redo_.size(); }
  // The step the next undo would revert; nullptr when there is none.
  const EditGroup* lastStep() const { return undo_.empty() ? nullptr : &undo_.back(); }

  // Forgets every step: after a device preset recall, an import into the device and the
  // full read after reconnecting, whose values the history does not know.
  void clearHistory();

  // Listeners are called on the editing thread after the table was written. Returns an id
  // for removeListener.
  int addListener(EditListener listener);
  void removeListener(int id);

private:
  struct ListenerSlot {
    int id;
    EditListener call;
  };

  std::vector<int> writeBack(const EditGroup& step, bool useBefore);
  bool joinsOpenStep(GestureKey gestureKey, EditClock::time_point now) const;
  void record(const EditSubject& subject, std::vector<ParameterChange> changes,
              GestureKey gestureKey, bool join, EditClock::time_point now);
  void notify(const std::vector<int>& indexes, EditOrigin origin);

  ParameterTable& table_;
  ActiveChannels active_;
  std::deque<EditGroup> undo_;
  std::vector<EditGroup> redo_;
  GestureKey openKey_ = 0;
  bool openHeld_ = false;
  bool stepOpen_ = false;
  EditClock::time_point lastApply_{};
  std::vector<ListenerSlot> listeners_;
  int nextListenerId_ = 1;
};

} // namespace kv816
