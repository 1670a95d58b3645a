// Texts the program shows from more than one place, written once. They live
// at the bottom layer so that every layer may use them.
#pragma once

#include <QString>

// The title of every error box.
inline const QString kErrorTitle = QStringLiteral("Quenlark ｴﾗｰ");
