// The files beside the program belong to the user. When the program runs from
// a system install (a package under /usr, or a folder someone else owns), the
// user cannot edit them there, so the program works from a per-user copy in
// the data folder, brought up to date at start-up.
//
// The copy keeps the same manifest as a portable install (".quenlark-installed",
// one "sha256  name" line per file as it was last copied), and follows the
// same rules:
//   - a file the user never changed (same checksum as recorded, or already the
//     same as the installed one) is refreshed from the installed files;
//   - a file the user edited is kept as it is;
//   - a file the user deleted is copied again, so deleting a file brings the
//     installed version back;
//   - a file of the user's own that the installed files do not hold is never
//     touched.
#pragma once

#include <QString>
#include <QStringList>

namespace ProgramCopy {

// The manifest's name, in the portable install folder and in the copy.
inline constexpr char kManifest[] = ".quenlark-installed";

// The programs shipped beside Quenlark that are no files of the user's: never
// copied, since the scripts find them in the install through
// $QUENLARK_PROGRAMS (the applet viewer and our Applet API, the compile server
// and its client), or Quenlark beside itself (each run's supervisor).
inline const QStringList kShippedPrograms = {
    QStringLiteral("quenlark-viewer.jar"), QStringLiteral("quenlark-applet-api.jar"),
    QStringLiteral("quenlark-compiler.jar"), QStringLiteral("quenlark-javac"),
    QStringLiteral("quenlark-run")};

// True when the program folder is a system install: under /usr, or not owned
// by the user. Root running a build folder of its own is not one.
bool IsSystemInstall(const QString& folder, unsigned ownerUid, unsigned userUid);
// The same for a folder on disk, for the user running the program.
bool IsSystemInstall(const QString& folder);

struct Outcome {
    bool usable = false;   // the copy's folder exists and can be used
    QStringList copied;    // new, restored or refreshed
    QStringList kept;      // edited by the user, kept as they are
    QStringList failures;  // what could not be done, with the reason
};

// Brings the copy in `copyFolder` up to date with the ordinary, not hidden
// files in `installedFolder`, leaving out the program itself (`programName`)
// and the shipped programs.
// Creates the copy's folder when missing.
Outcome Sync(const QString& installedFolder, const QString& copyFolder, const QString& programName);

}  // namespace ProgramCopy
