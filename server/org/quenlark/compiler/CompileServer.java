// The compile server: keeps the JDK's own compiler warm in one JVM and runs
// one compile at a time for the quenlark-javac client, over a Unix socket in
// a private folder.
package org.quenlark.compiler;

import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.PrintStream;
import java.io.PrintWriter;
import java.net.StandardProtocolFamily;
import java.net.UnixDomainSocketAddress;
import java.nio.channels.FileChannel;
import java.nio.channels.FileLock;
import java.nio.channels.ServerSocketChannel;
import java.nio.channels.SocketChannel;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.UserPrincipal;
import java.util.Locale;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.concurrent.locks.ReentrantLock;
import java.util.spi.ToolProvider;

/**
 * Started by Quenlark in its private run-time folder (the process's working
 * folder, also its one argument), with {@code -Duser.dir} naming the link "cwd" in that folder and
 * {@code -Dsun.nio.fs.chdirAllowed=true}, so that every relative path the
 * compiler resolves goes through the link, which each compile points at the
 * client's working folder. It ends when its standard input closes (Quenlark
 * is gone), after a long idle time, and when a compile is abandoned (the
 * compiler cannot be interrupted; Quenlark starts a fresh server at the next
 * compile). It retires, leaving the mark by which Quenlark replaces it,
 * after a compile that ran foreign code (a processor or plugin, which may
 * have changed anything in this JVM), and after one the compiler ended with
 * an error of its own.
 */
public final class CompileServer {
    static final long IDLE_MS = Long.getLong("quenlark.idleMinutes", 60) * 60_000L;
    // The log (the server's standard output and error) is emptied when it
    // grows beyond this, whoever writes to it.
    static final long LOG_LIMIT = 4L << 20;
    // The longest socket path the system binds (the rest of sockaddr_un).
    static final int SOCKET_PATH_LIMIT = 107;
    // javac's own exit statuses for a compile it could not finish: a lack
    // of system resources (memory, stack), or a fault of the compiler.
    static final int STATUS_SYSTEM_ERROR = 3;
    static final int STATUS_ABNORMAL = 4;

    private final ReentrantLock compileLock = new ReentrantLock();
    private final Path folder;
    private final Path javacPath;
    private final ToolProvider javac;
    private final UserPrincipal owner;
    private volatile long lastActivity = System.nanoTime();
    private long compiles;
    private ForeignCode foreign;

    private CompileServer(Path folder) throws IOException {
        this.folder = folder;
        javacPath = Path.of(System.getProperty("java.home"), "bin", "javac").toRealPath();
        owner = Files.getOwner(Path.of("/proc/self"));
        // The JDK's own compiler through its public tool entry point, so that
        // this program runs on every JDK from 17 up as it is built.
        javac = ToolProvider.findFirst("javac").orElseThrow(() -> new IOException("no javac in this JDK"));
    }

    public static void main(String[] args) throws Exception {
        // What the javac launcher tells the compiler: where the JDK lies, so
        // that the class path defaults to "." rather than to this jar.
        System.setProperty("application.home", System.getProperty("java.home"));
        // What is printed outside a compile goes to the log, a bounded share.
        System.setOut(new PrintStream(new BoundedOutput(new FileOutputStream(FileDescriptor.out)), true));
        System.setErr(new PrintStream(new BoundedOutput(new FileOutputStream(FileDescriptor.err)), true));
        new CompileServer(Path.of(args[0])).serve();
    }

    private void serve() throws Exception {
        watchStandardInput();
        // One server per folder: one started while the one it replaces is
        // still ending waits for it.
        FileChannel lockFile = FileChannel.open(folder.resolve(Protocol.LOCK_NAME), StandardOpenOption.CREATE,
                StandardOpenOption.WRITE);
        FileLock lock = lockFile.lock();
        pointLink(folder.toString());
        warmUp();
        foreign = ForeignCode.watch();
        Path socket = folder.resolve(Protocol.SOCKET_NAME);
        Path fresh = folder.resolve(Protocol.SOCKET_NAME + ".new");
        Files.deleteIfExists(fresh);
        ServerSocketChannel server = ServerSocketChannel.open(StandardProtocolFamily.UNIX);
        // Bound under another name and renamed once it listens, so that a
        // client never finds a socket that refuses it. A path too long for a
        // socket address is bound through the process's own working folder,
        // which is this folder.
        server.bind(UnixDomainSocketAddress.of(bindable(fresh)));
        Files.move(fresh, socket, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
        Object boundKey = Files.readAttributes(socket, "unix:ino").get("ino");
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            try {
                if (boundKey.equals(Files.readAttributes(socket, "unix:ino").get("ino"))) Files.delete(socket);
            } catch (IOException | RuntimeException gone) {
                // Nothing left to remove.
            }
        }));
        watchIdleTime();
        for (;;) {
            SocketChannel client = server.accept();
            lastActivity = System.nanoTime();
            Thread t = new Thread(() -> handle(client), "request");
            t.setDaemon(true);
            t.start();
        }
    }

    // The path a socket is bound at: itself, or when it is too long for a
    // socket address, the same file reached through /proc (as the client
    // reaches it).
    private Path bindable(Path socket) throws IOException {
        if (socket.toString().getBytes(StandardCharsets.UTF_8).length <= SOCKET_PATH_LIMIT) return socket;
        Path cwd = Path.of("/proc/self/cwd");
        if (!Files.isSameFile(cwd, folder)) throw new IOException(socket + ": too long a path for a socket");
        return cwd.resolve(socket.getFileName());
    }

    // Quenlark holds the other end of the standard input: end of file means
    // it is gone, however it ended.
    private static void watchStandardInput() {
        Thread t = new Thread(() -> {
            InputStream in = System.in;
            byte[] buffer = new byte[256];
            try {
                while (in.read(buffer) >= 0) {
                    // Nothing is sent on purpose; only the end matters.
                }
            } catch (IOException ended) {
                // Same as the end of input.
            }
            System.exit(0);
        }, "stdin");
        t.setDaemon(true);
        t.start();
    }

    private void watchIdleTime() {
        Thread t = new Thread(() -> {
            for (;;) {
                long left = IDLE_MS - (System.nanoTime() - lastActivity) / 1_000_000L;
                if (left <= 0 && !compileLock.isLocked()) System.exit(0);
                try {
                    Thread.sleep(Math.max(left, 1000));
                } catch (InterruptedException e) {
                    return;
                }
            }
        }, "idle");
        t.setDaemon(true);
        t.start();
    }

    // A throw-away compile in a temporary folder inside the private folder,
    // so that the first real one finds the compiler's classes loaded and
    // compiled.
    private void warmUp() {
        try {
            Path dir = folder.resolve("warm");
            removeWarmFolder(dir);  // what a server ended mid-warm-up left
            Files.createDirectory(dir);
            try {
                Files.writeString(dir.resolve("Warm.java"),
                        "import java.util.*;\npublic class Warm {\n"
                                + "    public static void main(String[] args) {\n"
                                + "        List<String> names = new ArrayList<>();\n"
                                + "        for (String a : args) names.add(a.trim());\n"
                                + "        System.out.println(\"x\" + names.size() + undefined);\n"
                                + "    }\n}\n");
                CompileRequest warm = CompileRequest.warmUp(dir.toString());
                for (int i = 0; i < 2; ++i) compile(warm, new FrameSink.Discard());
            } finally {
                removeWarmFolder(dir);
            }
        } catch (IOException | RuntimeException e) {
            // A failed warm-up only leaves the first compile slower.
        }
        System.gc();
    }

    private static void removeWarmFolder(Path dir) throws IOException {
        if (!Files.isDirectory(dir, java.nio.file.LinkOption.NOFOLLOW_LINKS)) return;
        try (var files = Files.list(dir)) {
            for (Path p : (Iterable<Path>) files::iterator) Files.deleteIfExists(p);
        }
        Files.deleteIfExists(dir);
    }

    private void handle(SocketChannel channel) {
        try (channel) {
            UserPrincipal peer = channel.getOption(jdk.net.ExtendedSocketOptions.SO_PEERCRED).user();
            if (!owner.equals(peer)) return;
            CompileRequest request = CompileRequest.read(channel);
            FrameSink sink = new FrameSink(channel);
            if (request == null) {
                sink.reply(Protocol.REFUSED);
            } else if (request.status) {
                sink.status("pid=" + ProcessHandle.current().pid() + " compiles=" + compiles + "\n");
            } else if (!request.javac.equals(javacPath.toString())) {
                sink.reply(Protocol.REFUSED);  // another JDK's javac: the client runs that one
            } else if (!compileLock.tryLock()) {
                sink.reply(Protocol.BUSY);  // an abandoned compile still runs: the client runs javac
            } else {
                try {
                    sink.reply(Protocol.ACCEPTED);
                    AtomicBoolean done = new AtomicBoolean();
                    watchForAbandon(channel, done);
                    if (foreign != null) foreign.takeSeen();
                    Integer status = compileWithKeepAlive(request, sink, done);
                    boolean ranForeignCode = foreign == null || foreign.takeSeen();
                    boolean finished =
                            status != null && status != STATUS_SYSTEM_ERROR && status != STATUS_ABNORMAL;
                    boolean retire = ranForeignCode || status == null || status == STATUS_ABNORMAL;
                    // The log bounded and the server retired before the
                    // answer, so that the client's next compile finds them so.
                    checkLog();
                    if (retire) retire();
                    try {
                        if (finished) {
                            ++compiles;
                            sink.exit(status);
                        } else {
                            sink.toJavac();
                        }
                    } finally {
                        if (retire) Runtime.getRuntime().halt(0);
                    }
                } finally {
                    compileLock.unlock();
                    lastActivity = System.nanoTime();
                }
            }
        } catch (IOException | RuntimeException e) {
            // The client is gone or spoke nonsense; it falls back to javac.
        }
    }

    // The client sends nothing after its request: the end of its connection
    // during a compile means it was stopped. The compile cannot be cut short,
    // so the server ends and Quenlark starts a fresh one at the next compile.
    private static void watchForAbandon(SocketChannel channel, AtomicBoolean done) {
        Thread t = new Thread(() -> {
            try {
                while (channel.read(java.nio.ByteBuffer.allocate(1)) >= 0) {
                    // Ignore anything sent.
                }
            } catch (IOException e) {
                // Treated as the end.
            }
            if (!done.get()) Runtime.getRuntime().halt(Protocol.EXIT_ABANDONED);
        }, "abandon");
        t.setDaemon(true);
        t.start();
    }

    // The compiler's exit status, or null when the compile ended in a throw.
    private Integer compileWithKeepAlive(CompileRequest request, FrameSink sink, AtomicBoolean done) {
        Integer[] status = {null};
        Thread worker = new Thread(null, () -> {
            try {
                status[0] = compile(request, sink);
            } catch (Throwable e) {
                status[0] = null;  // anything, an Error above all: javac runs
            }
        }, "compile", 0);
        worker.start();
        try {
            // A beat every second tells the client the server is alive during
            // a long compile.
            boolean beats = true;
            while (true) {
                worker.join(1000);
                if (!worker.isAlive()) break;
                checkLog();
                try {
                    if (beats) sink.keepAlive();
                } catch (IOException gone) {
                    // The client is gone and the server ends (see
                    // watchForAbandon); the compile keeps the lock till then.
                    beats = false;
                }
            }
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
        done.set(true);
        return status[0];
    }

    // Runs the compiler as the javac launcher does, with this request's
    // working folder, class path from the environment, locale and output.
    // Each run makes a fresh compiler with its own state; it writes through
    // writers that flush at each line, as the launcher's do, so the output
    // streams as it comes.
    private int compile(CompileRequest request, FrameSink sink) {
        PrintStream oldOut = System.out, oldErr = System.err;
        Locale oldLocale = Locale.getDefault();
        try {
            pointLink(request.cwd);
            if (request.classPath == null) System.clearProperty("env.class.path");
            else System.setProperty("env.class.path", request.classPath);
            Locale.setDefault(request.locale);
            PrintStream out = new PrintStream(sink.stream(Protocol.FRAME_OUT), true, StandardCharsets.UTF_8);
            PrintStream err = new PrintStream(sink.stream(Protocol.FRAME_ERR), true, StandardCharsets.UTF_8);
            System.setOut(out);
            System.setErr(err);
            PrintWriter outWriter = new PrintWriter(out, true);
            PrintWriter errWriter = new PrintWriter(err, true);
            int status = javac.run(outWriter, errWriter, request.args);
            outWriter.flush();
            errWriter.flush();
            out.flush();
            err.flush();
            return status;
        } catch (IOException e) {
            return STATUS_SYSTEM_ERROR;
        } finally {
            System.setOut(oldOut);
            System.setErr(oldErr);
            Locale.setDefault(oldLocale);
        }
    }

    // Leaves for good: the mark tells Quenlark to start a fresh server, and
    // without the socket no client finds this one meanwhile.
    private void retire() {
        try {
            Files.newByteChannel(folder.resolve(Protocol.STALE_NAME), StandardOpenOption.CREATE,
                    StandardOpenOption.WRITE).close();
            Files.deleteIfExists(folder.resolve(Protocol.SOCKET_NAME));
        } catch (IOException | RuntimeException e) {
            // The end of this process tells Quenlark all the same.
        }
    }

    // Empties the log once it grows beyond its limit (Quenlark opens it for
    // appending, so that writes go on from its new end).
    private void checkLog() {
        Path log = folder.resolve(Protocol.LOG_NAME);
        try {
            if (Files.size(log) <= LOG_LIMIT) return;
            try (FileChannel c = FileChannel.open(log, StandardOpenOption.WRITE)) {
                c.truncate(0);
            }
        } catch (IOException | RuntimeException e) {
            // No log to bound.
        }
    }

    // Points the link "cwd" at the client's folder: made under a new name,
    // then renamed over the old link.
    private void pointLink(String cwd) throws IOException {
        Path link = folder.resolve(Protocol.LINK_NAME);
        Path fresh = folder.resolve(Protocol.LINK_NAME + ".new");
        Files.deleteIfExists(fresh);
        Files.createSymbolicLink(fresh, Path.of(cwd));
        Files.move(fresh, link, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
    }
}
