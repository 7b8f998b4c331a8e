#pragma once
// Tooltips for the controls of a page, in the current language: what each kind of control
// does and which keys move it. Called again after every language change. GUI thread only.

class QWidget;

namespace kv816 {

void applyControlTips(QWidget& page);

} // namespace kv816
