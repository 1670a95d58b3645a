// Addresses the applet viewer asks the desktop's browser to show. The viewer
// runs contained like a run, so a browser it started itself would end with
// it; it hands the address to Quenlark over a socket in a private folder
// instead, and Quenlark starts the browser apart from every run, as it starts
// the browsers of its buttons. A request is the bytes a client sends before
// it ends its output; one that sends nothing is let go after a few seconds,
// and each program that asks gets only a handful of browsers in a short span.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

class QSocketNotifier;
class QTimer;

class BrowseRequests : public QObject {
public:
    // Starts the browser on an address; "" when it did, else why not.
    using Opener = std::function<QString(const QString& address)>;

    // Listens on "socket" in `folder`, a folder of this user's that only
    // they can open (made so when missing).
    BrowseRequests(const QString& folder, Opener open, QObject* parent = nullptr);
    ~BrowseRequests() override;
    BrowseRequests(const BrowseRequests&) = delete;
    BrowseRequests& operator=(const BrowseRequests&) = delete;

    // The socket's path; "" when it could not listen.
    QString socketPath() const;

    // Milliseconds on a clock that never goes back; the start limits count
    // by it (tests set their own).
    using Clock = std::function<qint64()>;
    void setClock(Clock clock);
    // How long a client may take to send its request (tests shorten it).
    void setPatience(int ms);

    // The address one request asks for (a line of UTF-8), or "" with the
    // reason when no browser should be given it: an http, https or file URL
    // of at most kMaxRequest bytes on one line without control characters.
    static QString Address(const QByteArray& request, QString* why);

    // The variable that names the socket to the programs Quenlark starts.
    static constexpr const char* kVariable = "QUENLARK_BROWSE";
    static constexpr int kMaxRequest = 8000;
    // Clients served at once; more wait in the listening queue.
    static constexpr int kMaxClients = 8;
    // A client that has not sent its whole request by then is answered "NG".
    static constexpr int kPatienceMs = 3000;
    // Browsers started for one program in kSpanMs, and for all together.
    static constexpr int kStartsPerProgram = 5;
    static constexpr int kStartsOfAll = 10;
    static constexpr qint64 kSpanMs = 10000;

private:
    void accept();
    void read(int fd);
    void answer(int fd, const QByteArray& reply);
    // The address opened for the program `pid`, or why not.
    QString open(long pid, const QString& address);

    int m_patience = kPatienceMs;
    // When browsers were started lately, and for which program.
    struct Start {
        qint64 at = 0;
        long pid = -1;
    };
    QVector<Start> m_starts;

    Opener m_open;
    Clock m_clock;
    QString m_path;
    int m_listener = -1;
    QSocketNotifier* m_listening = nullptr;
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QTimer* patience = nullptr;
        QByteArray request;
        long pid = -1;
    };
    QHash<int, Client> m_clients;
};
