// The default editor beside the program ("notepad.exe") is copied into the
// data folder once; a copy that is byte for byte one of the versions shipped
// before may be replaced by the new one, a copy the user changed never.
#pragma once

#include <QByteArrayView>

namespace ShippedEditor {

// True when `bytes` are exactly one of the earlier shipped versions.
bool IsEarlierShippedCopy(QByteArrayView bytes);

}  // namespace ShippedEditor
