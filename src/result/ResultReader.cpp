// Reads, decodes and breaks into lines the result file.
#include "ResultReader.h"

#include "settings/Qlk.h"

namespace {

// Enough of the content to tell the same file from a rewritten one: what was
// read is compared whole up to kHeadBytes, beyond that its first kHeadBytes
// and its last kTailSampleBytes.
constexpr qsizetype kHeadBytes = 256 * 1024;
constexpr qsizetype kTailSampleBytes = 32 * 1024;

// Where the bytes after the first `lines` line breaks begin; -1 when they
// hold no more than that many.
qsizetype AfterLines(QByteArrayView bytes, qsizetype lines) {
    qsizetype at = -1;
    for (qsizetype n = 0; n < lines; ++n)
        if ((at = bytes.indexOf('\n', at + 1)) < 0) return -1;
    return at + 1 < bytes.size() ? at + 1 : -1;
}

// Where the last `lines` lines of the bytes begin; 0 when they hold no more.
qsizetype LastLines(QByteArrayView bytes, qsizetype lines) {
    qsizetype at = bytes.size() - 1;  // a last line break ends the last line
    for (qsizetype n = 0; n < lines; ++n)
        if (at <= 0 || (at = bytes.lastIndexOf('\n', at - 1)) < 0) return 0;
    return at + 1;
}

bool HasNonAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (uchar(c) >= 0x80) return true;
    return false;
}

}  // namespace

bool ResultReader::isUtf8(QByteArrayView bytes, bool complete) {
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar c = uchar(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        uchar low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;   // no overlong forms
            if (c == 0xED) high = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
        } else {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if (i + k >= n) return !complete;  // cut off at the end: the rest may follow
            const uchar b = uchar(bytes[i + k]);
            if (k == 1 ? (b < low || b > high) : (b & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

QString ResultReader::encodingName() const {
    switch (m_seen) {
        case Encoding::Utf8:
            return QStringLiteral("UTF-8");
        case Encoding::Cp932:
            return QStringLiteral("CP932");
        default:
            return QString();
    }
}

void ResultReader::forget() {
    m_offset = -1;
    m_device = m_inode = 0;
    m_headAt = 0;
    m_head.clear();
    m_tail.clear();
    m_seen = Encoding::Ascii;
    m_lineBytes.clear();
    m_lineDecided = false;
    m_lines.reset();
}

ResultReader::Update ResultReader::read(const FileStamp& now, bool whole) {
    if (!now.exists) {
        forget();
        Update gone;
        gone.readFailed = true;
        return gone;
    }
    if (whole || !sameFileGrown(now)) return readWhole(now);

    QByteArray bytes;
    if (now.size - m_offset > kTailBytes ||
        !Qlk::P().files().readFile(m_path, m_offset, kSliceBytes, &bytes, nullptr))
        return readWhole(now);
    Update u;
    u.more = bytes.size() == kSliceBytes;
    if (const qsizetype cut = AfterLines(bytes, kSliceLines); cut > 0) {
        bytes.truncate(cut);
        u.more = true;
    }
    if (m_head.size() < kHeadBytes) m_head += bytes.left(kHeadBytes - m_head.size());
    if (bytes.size() >= kTailSampleBytes)
        m_tail = bytes.right(kTailSampleBytes);
    else
        m_tail = (m_tail + bytes).right(kTailSampleBytes);
    m_offset += bytes.size();
    u.kind = Update::Append;
    shape(decode(bytes), u);
    return u;
}

// The same file (device and inode), not shorter than what was read, whose
// first and last bytes read are still there: it only grew.
bool ResultReader::sameFileGrown(const FileStamp& now) {
    if (m_offset < 0 || now.device != m_device || now.inode != m_inode || now.size < m_offset) return false;
    QByteArray head, tail;
    if (!Qlk::P().files().readFile(m_path, m_headAt, m_head.size(), &head, nullptr) || head != m_head)
        return false;
    if (!Qlk::P().files().readFile(m_path, m_offset - m_tail.size(), m_tail.size(), &tail, nullptr) ||
        tail != m_tail)
        return false;
    return true;
}

ResultReader::Update ResultReader::readWhole(const FileStamp& now) {
    forget();
    Update u;
    qint64 start = 0;
    if (now.size > kTailBytes) {
        start = now.size - kTailBytes;
        u.trimmed = true;
    }
    QByteArray bytes;
    // The file may still grow while it is read; take at most twice the tail.
    if (!Qlk::P().files().readFile(m_path, start, 2 * kTailBytes, &bytes, nullptr)) {
        u.readFailed = true;
        return u;
    }
    m_device = now.device;
    m_inode = now.inode;
    m_offset = start + bytes.size();
    m_tail = bytes.right(kTailSampleBytes);
    qsizetype skip = 0;
    if (start > 0) {
        // Begin at a line start, so that no character is cut in two.
        const qsizetype lf = bytes.indexOf('\n');
        if (lf >= 0 && lf + 1 < bytes.size()) skip = lf + 1;
    }
    if (const qsizetype last = LastLines(QByteArrayView(bytes).sliced(skip), kTailLines); last > 0) {
        skip += last;
        u.trimmed = true;
    }
    m_headAt = start + skip;
    const QByteArrayView shown = QByteArrayView(bytes).sliced(skip);
    m_head = shown.first(std::min(shown.size(), kHeadBytes)).toByteArray();
    shape(decode(shown), u);
    return u;
}

// The encoding of one line: a line of kDecideBytes or more is judged by its
// first kDecideBytes bytes (a character cut off where they end allowed), a
// shorter one by all of its bytes, which `complete` says it has (an
// unfinished line may end in the first bytes of a character).
ResultReader::Encoding ResultReader::choose(QByteArrayView line, bool complete) {
    if (line.size() >= kDecideBytes) {
        line = line.first(kDecideBytes);
        complete = false;
    }
    if (!HasNonAscii(line)) return Encoding::Ascii;
    m_seen = isUtf8(line, complete) ? Encoding::Utf8 : Encoding::Cp932;
    return m_seen;
}

// A line decoded on its own. A character cut off at the end of an unfinished
// line is left out until the rest of it arrives.
QString ResultReader::decodeLine(QByteArrayView line, bool complete) {
    switch (choose(line, complete)) {
        case Encoding::Ascii:
            return QString::fromLatin1(line);
        case Encoding::Utf8:
            return complete ? QString::fromUtf8(line) : QStringDecoder(QStringDecoder::Utf8).decode(line);
        case Encoding::Cp932:
            return Cp932Decoder().decode(line);
    }
    return {};
}

// Splits the bytes into lines and decodes each on its own; the unfinished
// line waits for its line feed and is meanwhile shown as a preview, decoded
// again from its first byte at every read. Only a line long enough to be
// judged by its start is decoded as it arrives, with a decoder that keeps a
// character split between two reads whole.
ResultReader::Decoded ResultReader::decode(QByteArrayView bytes) {
    Decoded d;
    // Plain ASCII lines in a row are decoded together.
    qsizetype batch = -1;
    auto flush = [&](qsizetype upTo) {
        if (batch >= 0) d.text += QString::fromLatin1(bytes.sliced(batch, upTo - batch));
        batch = -1;
    };
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', i);
        const qsizetype end = lf < 0 ? bytes.size() : lf + 1;
        if (lf >= 0 && m_lineBytes.isEmpty() && !m_lineDecided) {
            // A whole line straight from the bytes.
            const QByteArrayView line = bytes.sliced(i, lf - i);
            if (!HasNonAscii(line)) {
                if (batch < 0) batch = i;
            } else {
                flush(i);
                d.text += decodeLine(line, true);
                d.text += u'\n';
            }
        } else if (m_lineDecided) {
            flush(i);
            const QByteArrayView part = bytes.sliced(i, end - i);
            d.text += m_lineEncoding == Encoding::Cp932 ? m_cp932.decode(part) : m_utf8.decode(part);
            if (lf >= 0) m_lineDecided = false;
        } else {
            flush(i);
            m_lineBytes += bytes.sliced(i, end - i);
            if (lf >= 0) {
                m_lineBytes.chop(1);
                d.text += decodeLine(m_lineBytes, true);
                d.text += u'\n';
                m_lineBytes.clear();
            } else if (m_lineBytes.size() >= kDecideBytes) {
                m_lineEncoding = choose(m_lineBytes, false);
                m_lineDecided = true;
                m_utf8 = QStringDecoder(QStringDecoder::Utf8);
                m_cp932.reset();
                d.text += m_lineEncoding == Encoding::Cp932 ? m_cp932.decode(m_lineBytes)
                                                            : m_utf8.decode(m_lineBytes);
                m_lineBytes.clear();
            }
        }
        i = end;
    }
    flush(i);
    if (!m_lineBytes.isEmpty()) d.preview = decodeLine(m_lineBytes, false);
    return d;
}

void ResultReader::shape(const Decoded& decoded, Update& u) {
    LineBreaker::Piece piece = m_lines.feed(decoded.text, decoded.preview);
    u.text = std::move(piece.text);
    u.redo = piece.redo;
    u.lines = std::move(piece.lines);
}

void LineBreaker::reset() {
    m_line.clear();
    m_column = 0;
    m_continued = false;
    m_shown.clear();
}

LineBreaker::Piece LineBreaker::feed(QStringView text, QStringView preview) {
    Piece p;
    if (text.isEmpty() && preview.isEmpty() && m_shown.size() == m_line.size()) return p;
    p.redo = m_shown.size();
    p.text.reserve(m_shown.size() + text.size() + preview.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        while (j < n && text[j] != u'\n' && text[j] != u'\r') ++j;
        if (m_line.isEmpty() && j < n && text[j] == u'\n' && j - i <= kMaxLineChars) {
            // A whole line at once, the most common case.
            p.lines.push_back({p.text.size(), j - i, m_continued});
            p.text += text.sliced(i, j - i);
            p.text += u'\n';
            m_continued = false;
            m_column = 0;
            i = j + 1;
            continue;
        }
        if (j > i) write(text.sliced(i, j - i), p.text, p.lines);
        if (j == n) break;
        if (text[j] == u'\n')
            endLine(p.text, p.lines, false);
        else
            m_column = 0;  // back to the start: what follows overwrites the line
        i = j + 1;
    }
    m_shown = preview.isEmpty() ? m_line : overlay(preview);
    p.text += m_shown;
    return p;
}

// The unfinished line with the preview written over it from its column, a
// "\r" going back to its start. A preview follows only a line that is still
// empty and is shorter than a line may grow, so it is never broken.
QString LineBreaker::overlay(QStringView preview) const {
    LineBreaker copy = *this;
    QString out;
    std::vector<Line> lines;
    qsizetype i = 0;
    while (i < preview.size()) {
        qsizetype j = preview.indexOf(u'\r', i);
        if (j < 0) j = preview.size();
        copy.write(preview.sliced(i, j - i), out, lines);
        if (j < preview.size()) copy.m_column = 0;
        i = j + 1;
    }
    return copy.m_line;
}

// Writes characters at the column, breaking the line where it would grow
// past kMaxLineChars (never between the two halves of a character).
void LineBreaker::write(QStringView chars, QString& out, std::vector<Line>& lines) {
    while (!chars.isEmpty()) {
        qsizetype take = std::min(kMaxLineChars - m_column, chars.size());
        if (take > 0 && take < chars.size() && chars[take].isLowSurrogate()) --take;
        if (take <= 0) {
            endLine(out, lines, true);
            continue;
        }
        if (m_column == m_line.size()) {
            m_line += chars.first(take);
        } else {
            m_line.replace(m_column, std::min(take, m_line.size() - m_column), chars.data(), take);
            const qsizetype end = m_column + take;
            // The second half of a character whose first half was overwritten.
            if (end < m_line.size() && m_line[end].isLowSurrogate()) m_line.remove(end, 1);
        }
        m_column += take;
        chars = chars.sliced(take);
        if (!chars.isEmpty()) endLine(out, lines, true);
    }
}

void LineBreaker::endLine(QString& out, std::vector<Line>& lines, bool broken) {
    lines.push_back({out.size(), m_line.size(), m_continued});
    out += m_line;
    out += u'\n';
    m_line.truncate(0);
    m_column = 0;
    m_continued = broken;
}
