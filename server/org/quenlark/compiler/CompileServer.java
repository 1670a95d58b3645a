// The compile server: keeps the JDK's own compiler warm in one JVM and runs
// one compile at a time for the quenlark-javac client, over a Unix socket in
// a private folder.
package org.quenlark.compiler;

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
 * compile).
 */
public final class CompileServer {
    static final String SOCKET = "socket";
    static final String LINK = "cwd";
    static final long IDLE_MS = Long.getLong("quenlark.idleMinutes", 60) * 60_000L;
    static final int EXIT_ABANDONED = 3;

    private final ReentrantLock compileLock = new ReentrantLock();
    private final Path folder;
    private final Path javacPath;
    private final ToolProvider javac;
    private final UserPrincipal owner;
    private volatile long lastActivity = System.nanoTime();
    private long compiles;

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
        new CompileServer(Path.of(args[0])).serve();
    }

    private void serve() throws Exception {
        // One server per folder: a second one leaves at once.
        FileChannel lockFile = FileChannel.open(folder.resolve("lock"), StandardOpenOption.CREATE, StandardOpenOption.WRITE);
        FileLock lock = lockFile.tryLock();
        if (lock == null) System.exit(1);
        watchStandardInput();
        pointLink(folder.toString());
        warmUp();
        Path socket = folder.resolve(SOCKET);
        Path fresh = folder.resolve(SOCKET + ".new");
        Files.deleteIfExists(fresh);
        ServerSocketChannel server = ServerSocketChannel.open(StandardProtocolFamily.UNIX);
        // Bound under another name and renamed once it listens, so that a
        // client never finds a socket that refuses it.
        server.bind(UnixDomainSocketAddress.of(fresh));
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
                sink.reply('R');
            } else if (request.status) {
                sink.status("pid=" + ProcessHandle.current().pid() + " compiles=" + compiles + "\n");
            } else if (!request.javac.equals(javacPath.toString())) {
                sink.reply('R');  // another JDK's javac: the client runs that one
            } else if (!compileLock.tryLock()) {
                sink.reply('B');  // an abandoned compile still runs: the client runs javac
            } else {
                try {
                    sink.reply('A');
                    AtomicBoolean done = new AtomicBoolean();
                    watchForAbandon(channel, done);
                    int status = compileWithKeepAlive(request, sink, done);
                    sink.exit(status);
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
            if (!done.get()) Runtime.getRuntime().halt(EXIT_ABANDONED);
        }, "abandon");
        t.setDaemon(true);
        t.start();
    }

    private int compileWithKeepAlive(CompileRequest request, FrameSink sink, AtomicBoolean done)
            throws IOException {
        int[] status = {4};
        Thread worker = new Thread(null, () -> status[0] = compile(request, sink), "compile", 0);
        worker.start();
        try {
            // A beat every second tells the client the server is alive during
            // a long compile.
            boolean beats = true;
            while (true) {
                worker.join(1000);
                if (!worker.isAlive()) break;
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
            PrintStream out = new PrintStream(sink.stream('O'), true, StandardCharsets.UTF_8);
            PrintStream err = new PrintStream(sink.stream('E'), true, StandardCharsets.UTF_8);
            System.setOut(out);
            System.setErr(err);
            PrintWriter outWriter = new PrintWriter(out, true);
            PrintWriter errWriter = new PrintWriter(err, true);
            int status = javac.run(outWriter, errWriter, request.args);
            outWriter.flush();
            errWriter.flush();
            out.flush();
            err.flush();
            ++compiles;
            return status;
        } catch (IOException e) {
            return 3;
        } finally {
            System.setOut(oldOut);
            System.setErr(oldErr);
            Locale.setDefault(oldLocale);
        }
    }

    // Points the link "cwd" at the client's folder: made under a new name,
    // then renamed over the old link.
    private void pointLink(String cwd) throws IOException {
        Path link = folder.resolve(LINK);
        Path fresh = folder.resolve(LINK + ".new");
        Files.deleteIfExists(fresh);
        Files.createSymbolicLink(fresh, Path.of(cwd));
        Files.move(fresh, link, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
    }
}
