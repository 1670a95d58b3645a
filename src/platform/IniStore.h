// The settings store: a small INI file of sections and keys whose values read
// back exactly as written. Every write replaces the file atomically, so a
// crash mid-write leaves either the old or the new file, never a torn one.
//
// A write changes only the line of its key: the file as it is on disk (read
// again when someone changed it since it was last read) keeps its comments,
// its order and every line this reader does not understand.
#pragma once

#include "Platform.h"

#include <QList>
#include <QMap>
#include <QString>

class IniStore {
public:
    explicit IniStore(QString path);

    QString read(const QString& section, const QString& key) const;
    // Stores the value and rewrites the file before returning; false (with
    // lastError()) when the file could not be written. The value is kept in
    // memory either way, so the running program sees what it wrote, and it is
    // written again with the next write. Inside a batch the rewrite waits for
    // the end of the outermost batch.
    bool write(const QString& section, const QString& key, const QString& value);

    // Writes between beginBatch() and the matching endBatch() reach the disk
    // in one rewrite when the outermost batch ends; endBatch() returns false
    // when that rewrite failed.
    void beginBatch();
    bool endBatch();

    const QString& path() const { return m_path; }
    const QString& lastError() const { return m_error; }
    // Why the file, which exists, could not be read; "" when it was read or
    // is yet to be made. Such a file is never written over.
    QString loadError() const { return m_loaded ? QString() : m_error; }
    // How many times the file was rewritten (or tried to be).
    int rewrites() const { return m_rewrites; }

    // The file format, exposed for tests and fuzzing.
    static QString encodeValue(const QString& value);
    static QString decodeValue(const QString& text);
    using Sections = QMap<QString, QMap<QString, QString>>;
    static Sections parse(const QByteArray& bytes);
    static QByteArray serialize(const Sections& sections);
    // The file text with one key set: its last line replaced, or a new line
    // after the section's last key (a new section at the end); every other
    // byte stays as it was. Keys are plain names (no "=", no surrounding
    // spaces, not starting with a comment mark or "[").
    static QByteArray update(const QByteArray& file, const QString& section, const QString& key,
                             const QString& value);

private:
    struct Pending {
        QString section, key, value;
    };
    bool load();
    bool flush();

    QString m_path;
    QString m_error;
    Sections m_sections;
    QByteArray m_text;         // the file as last read or written
    FileStamp m_stamp;         // and its stamp then
    bool m_loaded = false;     // false when the file existed but could not be read
    QList<Pending> m_pending;  // written in memory, not yet on disk
    int m_depth = 0;
    int m_rewrites = 0;
};

// The store file of `store` and the data folder `dataFolder`, each when it
// exists but cannot be read: its path, a line "理由: " and why, the two
// apart by an empty line; "" when both can be read or are yet to be made.
QString UnreadableStore(const IniStore& store, const QString& dataFolder);
