#pragma once
// What one user gesture changed: the values before and after, and what it edited, so the
// GUI can name the step ("OUT 2 · PEQ 3 · Gain") in its own language.
// Plain data; any thread.

#include <cstdint>
#include <optional>
#include <vector>

#include "model/channel_layout.h"

namespace kv816 {

// Where an edit came from. File edits never pull linked channels along: a loaded file
// already holds every channel's block and its link groups.
enum class EditSource : uint8_t {
  Page,
  Graph,
  Reset,
  Bypass,
  ChannelCopy,
  LinkGroup,
  File,
  Remote,
  FilterText, // a channel's filters imported from text: linked channels follow
  EqFit,      // a channel's equaliser fitted to a measurement: linked channels follow
};

// What a gesture edited. channel is 0..11 or -1 (several channels, or a global entry);
// band is 0-based (PEQ 3 is band 2) or -1 when the function has no bands or none applies.
struct EditSubject {
  int channel = -1;
  std::optional<ChannelFunction> function;
  int band = -1;
  EditSource source = EditSource::Page;

  bool operator==(const EditSubject&) const = default;
};

// The subject of an edit of one index: its channel, function and band from the layout
// (band -1 for functions without bands); a global index gives channel -1 and no function.
EditSubject subjectOfIndex(int index, EditSource source);

// One value a gesture asks for.
struct ParameterEdit {
  int index = 0;
  int32_t value = 0;

  bool operator==(const ParameterEdit&) const = default;
};

// One entry of a history step: the value before the step and after it.
struct ParameterChange {
  int index = 0;
  int32_t before = 0;
  int32_t after = 0;

  bool operator==(const ParameterChange&) const = default;
};

// One history step: every entry the gesture wrote, the linked channels' copies included,
// each index once.
struct EditGroup {
  EditSubject subject;
  std::vector<ParameterChange> changes;
};

} // namespace kv816
