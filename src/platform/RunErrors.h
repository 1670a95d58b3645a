// The run's own error output (what its script says before its output goes
// to result.txt, such as why result.txt cannot be written): passed on to
// Quenlark's own error output as before, its last lines kept for the user.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

class RunErrors : public QObject {
public:
    // At most this much of the end is kept.
    static constexpr qsizetype kKeptBytes = 4096;
    static constexpr int kKeptLines = 8;

    explicit RunErrors(QObject* parent);
    ~RunErrors() override;

    // A fresh pipe for the next run; the descriptor the run gets as its
    // standard error, or -1 when none could be made (the run then shares
    // Quenlark's own).
    int open();
    // After the start: only the run holds the write end now.
    void started();
    // Reads what is there now and gives the last lines kept.
    QString take();
    void close();

    // The last lines of `bytes` as text (UTF-8, else the bytes one for one).
    static QString LastLines(const QByteArray& bytes);

private:
    void read();

    int m_read = -1;
    int m_write = -1;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_tail;
};
