// Addresses the applet viewer asks the desktop's browser to show. The viewer
// runs contained like a run, so a browser it started itself would end with
// it; it hands the address to Quenlark over a socket in a private folder
// instead, and Quenlark starts the browser apart from every run, as it starts
// the browsers of its buttons.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

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

    // The address one request asks for (a line of UTF-8), or "" with the
    // reason when no browser should be given it: an http, https or file URL
    // of at most kMaxRequest bytes without control characters.
    static QString Address(const QByteArray& request, QString* why);

    // The variable that names the socket to the programs Quenlark starts.
    static constexpr const char* kVariable = "QUENLARK_BROWSE";
    static constexpr int kMaxRequest = 8000;
    // Clients served at once; more wait in the listening queue.
    static constexpr int kMaxClients = 8;

private:
    void accept();
    void read(int fd);
    void answer(int fd, const QByteArray& reply);

    Opener m_open;
    QString m_path;
    int m_listener = -1;
    QSocketNotifier* m_listening = nullptr;
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray request;
    };
    QHash<int, Client> m_clients;
};
