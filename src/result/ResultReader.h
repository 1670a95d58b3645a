// Reads the result file for the result window: the whole file (its tail when
// it is large) after a rewrite, only the new bytes while the same file grows.
// Each line is decoded on its own, as UTF-8 when it is valid UTF-8, else as
// CP932, so one program's UTF-8 line and another's Shift_JIS line both read
// right, wherever a read happened to end. The text is broken into the lines
// the window shows: this is the one place that decides where a line ends.
#pragma once

#include "platform/Platform.h"
#include "result/Cp932Decoder.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <vector>

// Breaks decoded text into shown lines: "\n" ends a line ("\r\n" too), a
// "\r" not followed by "\n" goes back to the start of the line so that what
// follows overwrites it (as on a terminal), and a line longer than
// kMaxLineChars is broken, the rest continuing on the next line.
class LineBreaker {
public:
    // A line longer than this is broken, so that one endless line cannot
    // stall the text box.
    static constexpr qsizetype kMaxLineChars = 8000;

    // A complete line inside Piece::text, without its "\n".
    struct Line {
        qsizetype from = 0, size = 0;
        bool continued = false;  // the rest of a line broken at kMaxLineChars
    };
    struct Piece {
        // Complete lines, each ended by "\n", then the unfinished line so far.
        QString text;
        // Characters at the end of what was shown before (the unfinished
        // line) that `text` replaces: it starts that line again.
        qsizetype redo = 0;
        std::vector<Line> lines;
    };

    // Takes the text that follows what was fed before. `preview` is shown
    // after it as the unfinished line would read if nothing more came; the
    // next feed takes it back (it is text whose decoding is not settled).
    Piece feed(QStringView text, QStringView preview = {});
    void reset();
    // The line whose end has not arrived yet, as it shows now.
    const QString& unfinished() const { return m_shown; }
    bool unfinishedContinues() const { return m_continued; }

private:
    void write(QStringView chars, QString& out, std::vector<Line>& lines);
    void endLine(QString& out, std::vector<Line>& lines, bool broken);
    QString overlay(QStringView preview) const;

    QString m_line;
    qsizetype m_column = 0;
    bool m_continued = false;
    QString m_shown;  // the unfinished line as shown, its preview included
};

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

    struct Update {
        enum Kind { Replace, Append };
        Kind kind = Replace;
        // Replace: the whole text; Append: what replaces the last `redo`
        // characters shown.
        QString text;
        qsizetype redo = 0;
        std::vector<LineBreaker::Line> lines;  // the complete lines in `text`
        bool trimmed = false;                  // Replace only: the text is the end of a larger file
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
    // What the last line that was not plain ASCII was decoded as: "UTF-8",
    // "CP932", or "" while only ASCII was seen.
    QString encodingName() const;

    // A line of at least this many bytes is decoded as its first this many
    // bytes tell, so that an endless line is shown as it arrives.
    static constexpr qsizetype kDecideBytes = 4096;
    // The last line shown, whose end has not arrived yet.
    const LineBreaker& lines() const { return m_lines; }

    // True when the bytes are UTF-8, allowing a sequence cut off at the end
    // unless `complete`.
    static bool isUtf8(QByteArrayView bytes, bool complete = false);

private:
    bool sameFileGrown(const FileStamp& now);
    Update readWhole(const FileStamp& now);
    struct Decoded {
        QString text;     // what is settled
        QString preview;  // the unfinished line as it reads so far
    };
    Decoded decode(QByteArrayView bytes);
    enum class Encoding { Ascii, Utf8, Cp932 };
    Encoding choose(QByteArrayView line, bool complete);
    QString decodeLine(QByteArrayView line, bool complete);
    void shape(const Decoded& decoded, Update& u);
    void forget();

    QString m_path;
    qint64 m_offset = -1;
    quint64 m_device = 0, m_inode = 0;
    // Samples of what was read, to recognise the same content on a later read:
    // the first bytes from where reading began and the last bytes before the
    // offset.
    qint64 m_headAt = 0;
    QByteArray m_head;
    QByteArray m_tail;
    Encoding m_seen = Encoding::Ascii;  // of the last line that was not ASCII
    // The unfinished line: its bytes while its encoding is not settled, or,
    // once it is (a long line), the encoding and the decoder that goes on.
    QByteArray m_lineBytes;
    Encoding m_lineEncoding = Encoding::Ascii;
    bool m_lineDecided = false;
    QStringDecoder m_utf8;
    Cp932Decoder m_cp932;
    LineBreaker m_lines;
};
