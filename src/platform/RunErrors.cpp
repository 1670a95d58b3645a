// Reads the run's error output without blocking, passes it on, keeps its end.
#include "RunErrors.h"

#include <QSocketNotifier>
#include <QStringDecoder>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

RunErrors::RunErrors(QObject* parent) : QObject(parent) {}

RunErrors::~RunErrors() { close(); }

int RunErrors::open() {
    close();
    m_tail.clear();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
    m_read = fds[0];
    m_write = fds[1];
    ::fcntl(m_read, F_SETFL, ::fcntl(m_read, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_read, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { read(); });
    return m_write;
}

void RunErrors::started() {
    if (m_write >= 0) ::close(m_write);
    m_write = -1;
}

void RunErrors::read() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_read, buffer, sizeof buffer);
        if (n > 0) {
            // Where the run's errors went before: Quenlark's own error output.
            [[maybe_unused]] ssize_t w = ::write(2, buffer, size_t(n));
            m_tail.append(buffer, n);
            if (m_tail.size() > kKeptBytes) m_tail.remove(0, m_tail.size() - kKeptBytes);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // Every writer is gone: nothing more will come.
        if (n == 0 && m_notifier) m_notifier->setEnabled(false);
        return;
    }
}

QString RunErrors::take() {
    if (m_read >= 0) read();
    return LastLines(m_tail);
}

void RunErrors::close() {
    delete m_notifier;
    m_notifier = nullptr;
    if (m_read >= 0) ::close(m_read);
    if (m_write >= 0) ::close(m_write);
    m_read = m_write = -1;
}

QString RunErrors::LastLines(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() > kKeptLines) lines = lines.mid(lines.size() - kKeptLines);
    return lines.join(u'\n');
}
