// The names, bytes and codes the compile server and its client share; the
// client's side is CompileProtocol.h, and the suite checks that the two agree.
package org.quenlark.compiler;

/** What PROTOCOL.md describes, as the server uses it. */
final class Protocol {
    private Protocol() {}

    // The server's private folder inside the user's run-time folder, and the
    // files in it.
    static final String kFolderName = "quenlark-compiler";
    static final String kSocketName = "socket";
    static final String kLinkName = "cwd";
    static final String kLockName = "lock";
    static final String kLogName = "log";
    static final String kStaleName = "stale";

    // A request: the magic, then its kind.
    static final String kMagic = "QLK1";
    static final char kRequestCompile = 'C';
    static final char kRequestState = 'S';
    // The longest field and the most arguments a request may carry.
    static final int kMaxField = 1 << 20;
    static final int kMaxArgs = 100_000;

    // The first byte of an answer to a compile request.
    static final char kAccepted = 'A';
    static final char kBusy = 'B';
    static final char kRefused = 'R';

    // The frames after kAccepted; kState answers a state request.
    static final char kFrameOut = 'O';
    static final char kFrameErr = 'E';
    static final char kFrameBeat = 'K';
    static final char kFrameExit = 'X';
    static final char kFrameJavac = 'J';
    static final char kFrameState = 'S';

    // The server's own exit status when a client left in mid-compile.
    static final int kExitAbandoned = 3;
}
