#include "Cp932Decoder.h"

Cp932Decoder::Cp932Decoder() : m_system("windows-31j") {}

// Hands a run of whole multi-byte and half-width characters to the system
// converter; what it cannot map comes back as its substitute U+001A, which
// cannot stand for a real byte of the run, and is shown as U+FFFD.
void Cp932Decoder::flush(QByteArray& run, QString& out) {
    if (run.isEmpty()) return;
    QString text =
        m_system.isValid() ? m_system.decode(run) : QString(run.size(), QChar::ReplacementCharacter);
    text.replace(QChar(0x1a), QChar::ReplacementCharacter);
    out += text;
    run.clear();
}

QString Cp932Decoder::decode(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    QByteArray run;
    qsizetype i = 0;
    if (m_pendingLead >= 0 && !bytes.isEmpty()) {
        const uchar lead = uchar(m_pendingLead);
        m_pendingLead = -1;
        if (isTrail(uchar(bytes[0]))) {
            run.append(char(lead));
            run.append(bytes[0]);
            i = 1;
        } else {
            out += QChar::ReplacementCharacter;
        }
    }
    while (i < bytes.size()) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            flush(run, out);
            out += QChar(b);
            ++i;
        } else if (isLead(b)) {
            if (i + 1 >= bytes.size()) {
                m_pendingLead = b;  // its trail byte comes with the next piece
                ++i;
            } else if (isTrail(uchar(bytes[i + 1]))) {
                run.append(char(b));
                run.append(bytes[i + 1]);
                i += 2;
            } else {
                flush(run, out);
                out += QChar::ReplacementCharacter;
                ++i;
            }
        } else if (b >= 0xa1 && b <= 0xdf) {
            run.append(char(b));  // half-width katakana
            ++i;
        } else {
            flush(run, out);
            out += QChar::ReplacementCharacter;
            ++i;
        }
    }
    flush(run, out);
    return out;
}
