#include "History.h"

#include "Qlk.h"

#include <QComboBox>

namespace Qlk {

namespace {

int SlotCount() { return ClampRecentCount(S.RecentNumber); }

void ReadSlots(QComboBox* cmbName) {
    const int n = SlotCount();
    S.Recent = QStringList();
    S.Recent.reserve(n);
    cmbName->clear();
    for (int i = 0; i < n; ++i) {
        S.Recent << ReadSetting(kRecent, Key::RecentSlot(i));
        cmbName->addItem(S.Recent.back());
    }
}

}  // namespace

void LoadRecent(QComboBox* cmbName) {
    ReadSlots(cmbName);
    cmbName->setEditText(S.Recent.isEmpty() ? QString() : S.Recent.front());
}

void AddRecent(QComboBox* cmbName) {
    const QString name = cmbName->currentText();
    const int n = SlotCount();
    if (S.Recent.size() != n) S.Recent.resize(n);
    if (S.Recent.contains(name)) return;
    if (n <= 1) return;
    for (int j = n - 1; j >= 1; --j) S.Recent[j] = S.Recent[j - 1];
    S.Recent[0] = name;
    cmbName->clear();
    const SettingsBatch batch;  // all slots in one rewrite
    for (int i = 0; i < n; ++i) {
        WriteSetting(kRecent, Key::RecentSlot(i), S.Recent[i]);
        cmbName->addItem(S.Recent[i]);
    }
    cmbName->setEditText(name);
}

void ReloadRecent(QComboBox* cmbName) {
    const QString text = cmbName->currentText();
    ReadSlots(cmbName);
    cmbName->setEditText(text);
}

}  // namespace Qlk
