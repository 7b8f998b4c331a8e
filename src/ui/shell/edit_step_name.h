#pragma once
// The name of an undo step in the current language, as the Edit menu shows it after
// "Undo" or "Redo": "OUT 2 · PEQ 3 · Gain", "IN A · Mute", "Channel Copy". GUI thread.

#include "edit/edit_group.h"

#include <QString>

namespace kv816 {

QString editStepName(const EditSubject& subject);

} // namespace kv816
