// Reads the result file for the result window: the whole file (its tail when
// it is large) after a rewrite, only the new bytes while the same file grows.
// Text is decoded as UTF-8, or as CP932 when the bytes are not valid UTF-8.
#pragma once

#include "platform/Platform.h"
#include "result/Cp932Decoder.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

class ResultReader {
public:
    // A whole read starts this many bytes before the end of a larger file,
    // and more new bytes than this are not appended but read as a new tail.
    static constexpr qint64 kTailBytes = 384 * 1024;
    // New bytes of a growing file are read at most this many at a time, so
    // that a fast writer never holds up the user interface for long.
    static constexpr qint64 kSliceBytes = 64 * 1024;
    // Lines cost the text box more than bytes: a slice ends after this many
    // lines, and a whole read keeps at most the last kTailLines lines.
    static constexpr qsizetype kSliceLines = 4000;
    static constexpr qsizetype kTailLines = 5000;
    // A line longer than this is broken, so that one endless line cannot
    // stall the text box.
    static constexpr qsizetype kMaxLineChars = 8000;

    struct Update {
        enum Kind { Replace, Append };
        Kind kind = Replace;
        QString text;
        bool trimmed = false;  // Replace only: the text is the end of a larger file
        bool readFailed = false;
        bool more = false;  // Append only: more new bytes wait to be read
    };

    explicit ResultReader(QString path) : m_path(std::move(path)) {}

    // Reads the file whose stamp is now `now`. The new bytes are appended, a
    // slice at a time, when this reader has read the same file before and it
    // only grew since; a rewrite, a shrink, another file, more new bytes than
    // a tail, or `whole` gives a whole read. A file that is missing or cannot
    // be read gives an empty replacement.
    Update read(const FileStamp& now, bool whole = false);

    // True when the file whose stamp is now `now` still holds just what was
    // read: the same file, as long, with the same first and last bytes.
    bool unchanged(const FileStamp& now) { return sameFileGrown(now) && now.size == m_offset; }

    const QString& path() const { return m_path; }
    // Bytes of the file consumed so far; -1 before the first read.
    qint64 offset() const { return m_offset; }
    // What the text was decoded as: "UTF-8", "CP932", or "" while only ASCII
    // was seen.
    QString encodingName() const;

    // True when the bytes are UTF-8, allowing a sequence cut off at the end.
    static bool isUtf8(QByteArrayView bytes);

private:
    bool sameFileGrown(const FileStamp& now);
    Update readWhole(const FileStamp& now);
    QString decode(QByteArrayView bytes);
    QString shape(QString text);
    void forget();

    enum class Encoding { Ascii, Utf8, Cp932 };

    QString m_path;
    qint64 m_offset = -1;
    quint64 m_device = 0, m_inode = 0;
    // Samples of what was read, to recognise the same content on a later read:
    // the first bytes from where reading began and the last bytes before the
    // offset.
    qint64 m_headAt = 0;
    QByteArray m_head;
    QByteArray m_tail;
    Encoding m_encoding = Encoding::Ascii;
    QStringDecoder m_decoder;  // UTF-8
    Cp932Decoder m_cp932;
    bool m_pendingCr = false;
    qsizetype m_lineLength = 0;
};
