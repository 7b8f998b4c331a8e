#pragma once
// Makes one undo step of a mouse drag on a control: a press opens the gesture in the edit
// session, the release closes it once the control has handled the release. Edits the
// control makes meanwhile must carry gestureKeyOf(control). GUI thread only.

#include "edit/edit_session.h"

#include <QObject>

namespace kv816 {

// The gesture key of a control: its address.
inline GestureKey gestureKeyOf(const QObject* control) {
  return reinterpret_cast<GestureKey>(control);
}

class GestureWatch : public QObject {
  Q_OBJECT
public:
  // Watches `control` for the lifetime of the control.
  static void install(QObject* control, EditSession& edits);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  GestureWatch(QObject* control, EditSession& edits);

  EditSession& edits_;
};

} // namespace kv816
