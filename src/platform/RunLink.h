// The link between Quenlark and the supervisor of one run (quenlark-run): a
// socket pair whose far end is the supervisor's descriptor kLinkFd.
//
// The supervisor starts the script with the run's standard descriptors, then
// says "P<pid>\n" (or "E<errno>\n" when the script could not start, and
// ends). Each byte Quenlark sends is a signal number for every process of the
// run; SIGKILL also ends any process that appears later. When the link closes
// (Quenlark ended or died) the whole run is killed. The supervisor ends last,
// with the script's own status, once no process of the run is left. The
// script's environment holds kRunMark=<the supervisor's pid>.
#pragma once

#include <signal.h>
#include <spawn.h>

namespace RunLink {

inline constexpr int kLinkFd = 3;
inline constexpr char kSupervisorName[] = "quenlark-run";
// The variable the supervisor gives the script: its own pid.
inline constexpr char kRunMark[] = "QUENLARK_RUN";

// Spawn attributes for a program in a process group of its own, with no
// blocked signal and every signal handled as by default (what Quenlark gives
// every program it starts, and the supervisor its script).
inline void OwnGroupAttributes(posix_spawnattr_t* attr) {
    posix_spawnattr_init(attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(attr, &none);
    posix_spawnattr_setsigdefault(attr, &all);
    posix_spawnattr_setpgroup(attr, 0);
    posix_spawnattr_setflags(attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

}  // namespace RunLink
