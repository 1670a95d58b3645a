// The names, bytes and codes the compile server and its client share; the
// server's side is org/quenlark/compiler/Protocol.java, and the suite checks
// that the two agree (see PROTOCOL.md).
#pragma once

namespace CompileProtocol {

// The server's private folder inside the user's run-time folder, and the
// files in it.
inline constexpr const char* kFolderName = "quenlark-compiler";
inline constexpr const char* kSocketName = "socket";
inline constexpr const char* kLinkName = "cwd";
inline constexpr const char* kLockName = "lock";
inline constexpr const char* kLogName = "log";
inline constexpr const char* kStaleName = "stale";

// A request: the magic, then its kind.
inline constexpr const char* kMagic = "QLK1";
inline constexpr char kRequestCompile = 'C';
inline constexpr char kRequestState = 'S';
// The longest field and the most arguments a request may carry.
inline constexpr int kMaxField = 1 << 20;
inline constexpr int kMaxArgs = 100000;

// The first byte of an answer to a compile request.
inline constexpr char kAccepted = 'A';
inline constexpr char kBusy = 'B';
inline constexpr char kRefused = 'R';

// The frames after kAccepted; kFrameState answers a state request.
inline constexpr char kFrameOut = 'O';
inline constexpr char kFrameErr = 'E';
inline constexpr char kFrameBeat = 'K';
inline constexpr char kFrameExit = 'X';
inline constexpr char kFrameJavac = 'J';
inline constexpr char kFrameState = 'S';

// The server's own exit status when a client left in mid-compile.
inline constexpr int kExitAbandoned = 3;

}  // namespace CompileProtocol
