// The names, bytes and codes the compile server and its client share; the
// client's side is CompileProtocol.h, and the suite checks that the two agree.
package org.quenlark.compiler;

/** What PROTOCOL.md describes, as the server uses it. */
final class Protocol {
    private Protocol() {}

    // The server's private folder inside the user's run-time folder, and the
    // files in it.
    static final String FOLDER_NAME = "quenlark-compiler";
    static final String SOCKET_NAME = "socket";
    static final String LINK_NAME = "cwd";
    static final String LOCK_NAME = "lock";
    static final String LOG_NAME = "log";
    static final String STALE_NAME = "stale";

    // A request: the magic, then its kind.
    static final String MAGIC = "QLK1";
    static final char REQUEST_COMPILE = 'C';
    static final char REQUEST_STATE = 'S';
    // The longest field and the most arguments a request may carry.
    static final int MAX_FIELD = 1 << 20;
    static final int MAX_ARGS = 100_000;

    // The first byte of an answer to a compile request.
    static final char ACCEPTED = 'A';
    static final char BUSY = 'B';
    static final char REFUSED = 'R';

    // The frames after ACCEPTED; STATE answers a state request.
    static final char FRAME_OUT = 'O';
    static final char FRAME_ERR = 'E';
    static final char FRAME_BEAT = 'K';
    static final char FRAME_EXIT = 'X';
    static final char FRAME_JAVAC = 'J';
    static final char FRAME_STATE = 'S';

    // The server's own exit status when a client left in mid-compile.
    static final int EXIT_ABANDONED = 3;
}
