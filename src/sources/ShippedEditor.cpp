#include "ShippedEditor.h"

#include <QCryptographicHash>

namespace ShippedEditor {

namespace {

// SHA-256 of every earlier version of data/notepad.exe, oldest first. When
// the script changes, its last version's sum goes here.
const char* const kEarlierVersions[] = {
    "2cbb7110d8341ed8acc1348c8bc66c38e7ac4933a707c02d82dc6d163c255f27",  // opens the file alone
    "abb2bf5a62efd31c3a0070a725cc147718c5ae4848b651a72e14dd9df6c36c43",  // takes +LINE FILE
};

}  // namespace

bool IsEarlierShippedCopy(QByteArrayView bytes) {
    const QByteArray sum = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    for (const char* earlier : kEarlierVersions)
        if (sum == earlier) return true;
    return false;
}

}  // namespace ShippedEditor
