#include "FirstPaintProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

class Probe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // Report after the paint has been delivered and flushed.
            QTimer::singleShot(0, this, [] {
                timespec ts{};
                clock_gettime(CLOCK_MONOTONIC, &ts);
                std::printf("first-paint-ns %lld\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

}  // namespace

namespace FirstPaintProbe {

void InstallIfAsked(QWidget* window) {
    if (qEnvironmentVariableIsEmpty("QLK_EXIT_AFTER_FIRST_PAINT")) return;
    window->installEventFilter(new Probe(window));
}

}  // namespace FirstPaintProbe
