// The POSIX file rules both the real platform and the tests' fake follow:
// which names count as files, a file's stamp, reading part of a file without
// blocking, copying whole-or-nothing, and space-free aliases of folders.
#pragma once

#include "Platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct stat;

namespace FileRules {

// True when `path` names an ordinary, visible file; a name with wildcards
// matches any visible file of its folder.
bool Exists(const QString& path);
// The names of the ordinary, visible files in a folder; none when it cannot
// be read.
QStringList FileNames(const QString& folder);
FileStamp Stamp(const QString& path);
// True when a start would run `path`: an ordinary file that may be executed,
// or a script whose name ends in ".bat" (run by /bin/sh) that may be read.
bool IsProgramFile(const QString& path);
// The stamp of a file already looked at.
FileStamp StampOf(const struct stat& st);
// Up to `maxBytes` (all when negative) from `offset` of an ordinary file.
bool ReadRange(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data, QString* error);
bool CopyReplacing(const QString& from, const QString& to, QString* error,
                   const Files::CopyRules& rules = Files::CopyRules());
// Space-free alias of `folder` inside `aliasRoot` (created 0700).
QString AliasFor(const QString& folder, const QString& aliasRoot);

// Makes the folder (and its parents) and keeps it to the user; "" when it
// cannot be made.
QString MakePrivateDir(const QString& path);
// True when `path` names a folder (a link to one counts).
bool FolderExists(const QString& path);
// Makes the folder and the folders above it that are missing, with the
// usual mode less the umask; false with the system's reason when one of
// them cannot be made.
bool MakeFolder(const QString& path, QString* error);
// Writes all of `size` bytes to `fd`, going on after interruptions: 0, or
// the error number (ENOSPC when a file takes nothing more).
int WriteAll(int fd, const char* data, qint64 size);
// The system's text for an errno value.
QString SystemError(int err);
// Why a folder that exists cannot be read, searched and written; "" when it
// can, or when there is none (a file in its place is left to whoever makes
// the folder).
QString UnusableFolder(const QString& dir);
// Why a path that is a link, a FIFO or a device is not written to.
QString NotRegularText();

}  // namespace FileRules
