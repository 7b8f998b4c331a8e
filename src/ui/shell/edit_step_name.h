#pragma once
// The name of an undo step in the current language, as the Edit menu shows it after
// "Undo" or "Redo": "OUT 2 · PEQ 3 · Gain", "IN A · Mute", "Channel Copy". GUI thread.

#include "edit/edit_group.h"

#include <QString>

namespace kv816 {

QString editStepName(const EditSubject& subject);

// The channel as the tab row names it: "IN A", "OUT 2"; empty for a device-wide entry.
QString channelDisplayName(int channel);

// What one index sets, named as in the undo steps: "PEQ 3 · Gain", "Mute"; empty for a
// device-wide index.
QString functionDisplayName(int index);

} // namespace kv816
