#include "ui/pages/gesture_watch.h"

#include <QEvent>

namespace kv816 {

GestureWatch::GestureWatch(QObject* control, EditSession& edits)
    : QObject(control), edits_(edits) {}

void GestureWatch::install(QObject* control, EditSession& edits) {
  control->installEventFilter(new GestureWatch(control, edits));
}

bool GestureWatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    edits_.beginGesture(gestureKeyOf(watched));
  } else if (event->type() == QEvent::MouseButtonRelease) {
    // Queued: the control may still make its last edit while it handles the release.
    QMetaObject::invokeMethod(
        this, [this] { edits_.endGesture(); }, Qt::QueuedConnection);
  }
  return false;
}

} // namespace kv816
