// Decodes CP932 (Shift_JIS as written by Japanese tools) a piece at a time.
// The single-byte range 0x00-0x7F is ASCII, as the code page defines it (the
// system converters map a few control bytes elsewhere); lead and trail bytes
// are paired here and only whole characters reach the system converter, so
// a character split between two pieces comes out whole. Bytes that form no
// character become U+FFFD.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

class Cp932Decoder {
public:
    Cp932Decoder();
    QString decode(QByteArrayView bytes);
    void reset() { m_pendingLead = -1; }

    static bool isLead(uchar b) { return (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc); }
    static bool isTrail(uchar b) { return (b >= 0x40 && b <= 0x7e) || (b >= 0x80 && b <= 0xfc); }

private:
    void flush(QByteArray& run, QString& out);

    QStringDecoder m_system;
    int m_pendingLead = -1;
};
