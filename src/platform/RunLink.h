// The link between Quenlark and the supervisor of one run (quenlark-run): a
// socket pair whose far end is the supervisor's descriptor kLinkFd.
//
// The supervisor starts the script with the run's standard descriptors, then
// says "P<pid>\n" (or "E<errno>\n" when the script could not start, and
// ends). Each byte Quenlark sends is a signal number for every process of the
// run; SIGKILL also ends any process that appears later. When the link closes
// (Quenlark ended or died) the whole run is killed. The supervisor ends last,
// with the script's own status, once no process of the run is left.
#pragma once

namespace RunLink {

inline constexpr int kLinkFd = 3;
inline constexpr char kSupervisorName[] = "quenlark-run";

}  // namespace RunLink
