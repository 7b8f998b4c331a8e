#pragma once
// The program's icon, painted at every size it is asked for (the same drawing as
// packaging/linux/kv816.svg). GUI thread only.

#include <QIcon>

namespace kv816 {

QIcon applicationIcon();

} // namespace kv816
