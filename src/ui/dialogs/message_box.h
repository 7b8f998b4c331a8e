#pragma once
// The one way the program asks or tells the user something: a modal box owned by `owner`'s
// window, with the icon of its kind, so every question looks alike. GUI thread only.

#include "link/link_events.h"

#include <QString>

class QWidget;

namespace kv816 {

// An empty caption takes the title of the owner's window. Escape or the title bar's close
// answer No, Cancel or Ok by kind.
MessageButton showMessageBox(QWidget* owner, MessageKind kind, const QString& text,
                             const QString& caption = {});

} // namespace kv816
