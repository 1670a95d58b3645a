// Whole-or-nothing file writes. The new contents go to a temporary file
// beside the target, every byte checked, flushed and synced, and only then
// take the target's place by rename; on any failure the temporary file is
// removed and the target stays as it was.
//
// Temporary files are hidden and carry a marker no user would choose
// (".Quenlark.ini.~quenlark-partial-Ab3dE9xZ"), so a leftover of a write that
// was cut short by a crash is recognisably ours and nothing else is.
#pragma once

#include "Platform.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

class AtomicFile {
public:
    // What happens to the permission bits of the file that takes the target's
    // place.
    enum class Mode {
        Private,       // 0600, whatever was there
        KeepExisting,  // an existing target's mode; a new file gets `newMode` less the umask
    };
    // Whether an existing target may be replaced. A target that is a
    // symbolic link is written through (the file it names is replaced and
    // the link stays), except with ReplaceLink, which replaces the link itself.
    enum class Target { Replace, OnlyWhenMissing, ReplaceLink };

    AtomicFile(QString target, Mode mode, mode_t newMode = 0644, Target how = Target::Replace);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    // Writes all of `size` bytes, or fails; after a failure every later call
    // fails too, so the caller may check once at the end.
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Syncs the data and puts the file in the target's place. With
    // OnlyWhenMissing a target that exists by then is left alone and the
    // commit still succeeds (existed() tells). False with error() when the
    // target could not be replaced; it is untouched then.
    bool commit();
    // Removes the temporary file; the target is untouched.
    void cancel();

    const QString& error() const { return m_error; }
    bool existed() const { return m_existed; }
    // The stamp of the file as written (valid after a successful commit that
    // replaced the target).
    const FileStamp& stamp() const { return m_stamp; }

    // Writes `data` whole to `target` in one go (see above).
    static bool writeWhole(const QString& target, const QByteArray& data, Mode mode, QString* error,
                           FileStamp* stamp = nullptr, Target how = Target::Replace);

    // True for a name this class gives its temporary files.
    static bool isTemporaryName(const QString& fileName);
    // Removes our own temporary files in `folder` that have not been touched
    // for `minAgeSeconds` (regular files of this user only); returns how many.
    static int removeStale(const QString& folder, qint64 minAgeSeconds);

private:
    // Keeps the first failure's reason; always false.
    bool fail(int err);

    QString m_target;
    QString m_temp;
    Mode m_mode;
    mode_t m_newMode;
    Target m_how;
    int m_fd = -1;
    bool m_failed = false;
    bool m_existed = false;
    QString m_error;
    FileStamp m_stamp;
};
