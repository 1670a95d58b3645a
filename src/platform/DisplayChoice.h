// Which display server Quenlark draws on. Saved window positions and the
// always-on-top mode need a window system that lets the program place its
// windows; under a Wayland session the compositor places them itself, so
// Quenlark runs through X11 (XWayland) there, unless the user chose a Qt
// platform. The choice is made with QApplication's own "-platform" argument,
// for Quenlark alone: the environment that editors, browsers and scripts
// inherit stays as Quenlark received it.
#pragma once

#include <QByteArray>
#include <QList>

// The arguments to give QApplication: `args` (the program's name first) with
// "-platform xcb" after the name when an X display is there (`display`, the
// value of $DISPLAY, not empty) and the user chose no platform, neither with
// $QT_QPA_PLATFORM (`qpaPlatform`) nor with a "-platform" argument.
QList<QByteArray> WithDisplayPlatform(const QList<QByteArray>& args, const QByteArray& qpaPlatform,
                                      const QByteArray& display);
