// The class-name history shown in the main window's name box.
#pragma once

class QComboBox;

namespace Qlk {

// Sizes the history to the stored count, reads every slot into the name box's
// list and puts slot 0 into its text.
void LoadRecent(QComboBox* cmbName);
// Records the name box's text as the newest name unless it is already in the
// history; rewrites every slot key when it records.
void AddRecent(QComboBox* cmbName);
// Re-reads the slots for a new count and rebuilds the list, keeping the text
// the user has in the name box. The stored slots are not rewritten.
void ReloadRecent(QComboBox* cmbName);

}  // namespace Qlk
