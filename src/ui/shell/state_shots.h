#pragma once
// The screenshot mode's pictures of the connection states and of the comparison, in English
// and Simplified Chinese: online; searching after the demo device's cable is pulled; offline
// after Go offline; offline on a show file that differs from the device (Stay offline), with
// the out-of-sync mark; and the compare dialog of that file. GUI thread only.

class QString;

namespace kv816 {

class MainWindow;

// Saves kv816-state-*.png and kv816-compare-*.png into `folder`. Needs the demo device
// online; returns false when it is not or a picture could not be saved. Leaves the device
// plugged in and the show file open.
bool saveStateShots(MainWindow& window, const QString& folder);

} // namespace kv816
