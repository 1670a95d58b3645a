// The steps of start-up that stand apart from the main window's controls:
// the single-instance claim, the program folder, the help file, and the
// files seeded into the data folder.
#pragma once

#include <QString>

namespace Startup {

// False, after a critical box that names each and why, when the settings
// file or the data folder exists but cannot be read: the program then ends
// before anything is written, so nothing stored is lost.
bool StoreReadable();
// Claims the one running copy of the program. A second copy beeps, says so
// in a box and gets false.
bool ClaimSingleInstance();
// As the one running copy: removes leftovers of its own cut-short writes,
// and brings the per-user copy of a system install's files up to date.
void PrepareProgramFolder();
// The help file beside the program, else its bare name.
QString HelpFilePath(const QString& programFolder);
// Makes sure result.txt is in the data folder, seeded from the copy beside
// the program. False, after a box that says why, when the program must end.
bool SeedResultFile(const QString& programFolder, const QString& windowsFolder);
// The default editor in the data folder: a missing copy is seeded from
// beside the program, and so is an empty one that a copy cut short by a
// full disk left behind, and an unchanged copy of an earlier version; a copy
// the user edited stays. A failed copy is reported as a failed seed of the
// result file is, and start-up goes on without it.
void SeedDefaultEditor(const QString& programFolder, const QString& windowsFolder);

}  // namespace Startup
