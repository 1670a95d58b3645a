// Addresses the applet viewer asks the desktop's browser to show (see
// BrowseRequests.h). A request is one line, the address, ended by the end of
// the client's output; the answer is one line, "OK" or "NG " and the reason,
// and the connection ends.
#include "BrowseRequests.h"

#include "ProcessRules.h"

#include <QFile>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {

// A folder of this user's that nobody else may open, never a link.
bool PrivateFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// The process at the other end of a connection; uid -1 when unknown.
ucred Peer(int fd) {
    ucred cred{};
    cred.uid = uid_t(-1);
    socklen_t size = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0) cred.uid = uid_t(-1);
    return cred;
}

qint64 Monotonic() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

BrowseRequests::BrowseRequests(const QString& folder, Opener open, QObject* parent)
    : QObject(parent), m_open(std::move(open)), m_clock(Monotonic) {
    const QByteArray dir = QFile::encodeName(folder);
    const QByteArray path = dir + "/socket";
    if (!PrivateFolder(dir)) return;
    // A socket left by a Quenlark that was killed: there is only one Quenlark.
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(path.constData());
    m_listener = ProcessRules::UnixSocket(QFile::decodeName(path), true);
    if (m_listener < 0) return;
    ::fcntl(m_listener, F_SETFL, ::fcntl(m_listener, F_GETFL) | O_NONBLOCK);
    m_path = QFile::decodeName(path);
    m_listening = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_listening, &QSocketNotifier::activated, this, &BrowseRequests::accept);
}

BrowseRequests::~BrowseRequests() {
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) ::close(it.key());
    if (m_listener < 0) return;
    ::close(m_listener);
    ::unlink(QFile::encodeName(m_path).constData());
}

QString BrowseRequests::socketPath() const { return m_path; }

void BrowseRequests::setClock(Clock clock) { m_clock = std::move(clock); }

void BrowseRequests::setPatience(int ms) { m_patience = ms; }

QString BrowseRequests::Address(const QByteArray& request, QString* why) {
    auto refuse = [why](const QString& reason) {
        if (why) *why = reason;
        return QString();
    };
    QByteArray line = request;
    if (line.endsWith('\n')) line.chop(1);
    if (line.isEmpty()) return refuse(QStringLiteral("アドレスがありません"));
    if (line.size() > kMaxRequest) return refuse(QStringLiteral("アドレスが長すぎます"));
    // Not cut at the line feed: what follows it was part of the address.
    if (line.contains('\n')) return refuse(QStringLiteral("アドレスに改行があります"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(line);
    if (utf8.hasError()) return refuse(QStringLiteral("アドレスが UTF-8 ではありません"));
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return refuse(QStringLiteral("アドレスに制御文字があります"));
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || !(scheme == u"http" || scheme == u"https" || scheme == u"file"))
        return refuse(QStringLiteral("ブラウザで開けるアドレス (http、https、file) ではありません"));
    if (scheme != u"file" && url.host().isEmpty())
        return refuse(QStringLiteral("アドレスにホスト名がありません"));
    return text;
}

void BrowseRequests::accept() {
    while (m_clients.size() < kMaxClients) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        // Only this user's own programs may have a browser opened.
        const ucred peer = Peer(fd);
        if (peer.uid != ::getuid()) {
            ::close(fd);
            continue;
        }
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { read(fd); });
        // One that keeps silent would hold its place among the clients for good.
        auto* patience = new QTimer(this);
        patience->setSingleShot(true);
        connect(patience, &QTimer::timeout, this, [this, fd] {
            answer(fd, QStringLiteral("NG アドレスが時間内に届きませんでした\n").toUtf8());
        });
        patience->start(m_patience);
        m_clients.insert(fd, Client{notifier, patience, {}, long(peer.pid)});
    }
    // Full: the rest wait until a client is done.
    m_listening->setEnabled(false);
}

void BrowseRequests::read(int fd) {
    Client& client = m_clients[fd];
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        client.request.append(buffer, n);
        if (client.request.size() > kMaxRequest + 1) break;
    }
    const bool ended = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    // The request is whole when the client has ended its output.
    if (!ended && client.request.size() <= kMaxRequest + 1) return;
    QString why;
    const QString address = Address(client.request, &why);
    if (!address.isEmpty()) why = open(client.pid, address);
    answer(fd, why.isEmpty() ? QByteArray("OK\n") : "NG " + why.toUtf8() + '\n');
}

QString BrowseRequests::open(long pid, const QString& address) {
    const qint64 now = m_clock();
    m_starts.removeIf([now](const Start& s) { return now - s.at >= kSpanMs; });
    const auto own =
        std::count_if(m_starts.cbegin(), m_starts.cend(), [pid](const Start& s) { return s.pid == pid; });
    if (own >= kStartsPerProgram)
        return QStringLiteral("ブラウザを開くのは %1 秒に %2 回までです")
            .arg(kSpanMs / 1000)
            .arg(kStartsPerProgram);
    if (m_starts.size() >= kStartsOfAll)
        return QStringLiteral("ブラウザを開くのは、すべてのプログラムを合わせて %1 秒に %2 回までです")
            .arg(kSpanMs / 1000)
            .arg(kStartsOfAll);
    m_starts.append(Start{now, pid});
    return m_open(address);
}

void BrowseRequests::answer(int fd, const QByteArray& reply) {
    if (!m_clients.contains(fd)) return;
    // A line of a few bytes fits any socket buffer; a client that left gets
    // nothing (MSG_NOSIGNAL: no SIGPIPE).
    [[maybe_unused]] ssize_t n = ::send(fd, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL);
    int closing = fd;
    const Client client = m_clients.take(fd);
    // Its timer may be the one calling: it goes when the call is over.
    client.patience->stop();
    client.patience->deleteLater();
    ProcessRules::StopWatching(client.notifier, &closing);
    m_listening->setEnabled(true);
    accept();
}
