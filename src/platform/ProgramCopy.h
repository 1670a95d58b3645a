// The files beside the program belong to the user. When the program runs from
// a system install (a package under /usr, or a folder someone else owns), the
// user cannot edit them there, so the program works from a per-user copy in
// the data folder, brought up to date at start-up.
//
// Only the files the build lists beside the program (".quenlark-shipped", one
// name a line) are copied. The copy keeps the same manifest as a portable
// install (".quenlark-installed", one "sha256  …  name" line per file as it
// was last copied), which also records the stamp (size, time, identity) and
// checksum of the installed file and of the copy as last seen, so that only a
// file whose stamp changed is read again. It follows the same rules:
//   - a file the user never changed (same checksum as recorded, or already the
//     same as the installed one) is refreshed from the installed files;
//   - a file the user edited is kept as it is;
//   - a file the user deleted is copied again, so deleting a file brings the
//     installed version back;
//   - a file of the user's own that the installed files do not hold is never
//     touched;
//   - a file that could not be copied (a full disk) and is missing from the
//     copy is stood in for by a link to the installed one, so the program
//     still finds it there.
#pragma once

#include <QString>
#include <QStringList>

namespace ProgramCopy {

// The manifest's name, in the portable install folder and in the copy.
inline constexpr char kManifest[] = ".quenlark-installed";
// The list of the files shipped beside the program, written by the build.
inline constexpr char kShippedList[] = ".quenlark-shipped";

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
    int hashed = 0;        // files read whole for their checksum
};

// A name as the manifest holds it: a backslash, a line feed and a carriage
// return escaped, so that no name can make a line of its own.
QString EscapeName(const QString& name);
QString UnescapeName(const QString& text);

// Brings the copy in `copyFolder` up to date with the files `installedFolder`
// lists as shipped, leaving out the program itself (`programName`), the
// shipped programs and any name that is no plain file name.
// Creates the copy's folder when missing.
Outcome Sync(const QString& installedFolder, const QString& copyFolder, const QString& programName);

}  // namespace ProgramCopy
