// Opens pages in the desktop's browser for showDocument. Under Quenlark the
// viewer runs contained and everything it starts ends with it, so it asks
// Quenlark, through the socket $QUENLARK_BROWSE names, to start the browser;
// started by hand, it starts xdg-open itself, in a session of its own. An
// applet that asks again and again gets one page at a time, each address once
// while it waits, and a handful of pages in a short span.
package org.quenlark.viewer;

import java.io.File;
import java.io.IOException;
import java.net.URL;
import java.net.UnixDomainSocketAddress;
import java.nio.ByteBuffer;
import java.nio.channels.SocketChannel;
import java.nio.charset.StandardCharsets;
import java.util.ArrayDeque;
import java.util.Deque;
import java.util.concurrent.TimeUnit;
import java.util.function.Consumer;
import java.util.function.LongSupplier;

final class Browser {
    /** The longest address Quenlark takes, in bytes of UTF-8. */
    static final int MAX_ADDRESS_BYTES = 8000;
    /** Pages opened in SPAN_NANOS at most; the rest are dropped. */
    static final int STARTS_PER_SPAN = 5;
    static final long SPAN_NANOS = TimeUnit.SECONDS.toNanos(10);

    private final String socket;
    private final LongSupplier clock;
    private final Consumer<String> note;
    private final Consumer<String> ownOpener;

    // Guarded by this: the addresses waiting, the one being opened, when
    // the pages of the span were asked for, whether the drop was told.
    private final Deque<String> waiting = new ArrayDeque<>();
    private String opening;
    private final Deque<Long> starts = new ArrayDeque<>();
    private boolean toldDropped;

    /**
     * Asks Quenlark at `socket` (null or "": nobody to ask, `ownOpener`
     * opens); `clock` gives nanoseconds, `note` gets what the learner is told.
     */
    Browser(String socket, LongSupplier clock, Consumer<String> note, Consumer<String> ownOpener) {
        this.socket = socket == null || socket.isEmpty() ? null : socket;
        this.clock = clock;
        this.note = note;
        this.ownOpener = ownOpener;
    }

    /** The browser of this viewer: Quenlark's when it started the viewer, notes in the output. */
    static Browser ofDesktop() {
        return new Browser(System.getenv("QUENLARK_BROWSE"), System::nanoTime, Browser::print, Browser::startXdgOpen);
    }

    /** Opens the page without waiting; a failure is told in the output. */
    void open(URL url) {
        open(url.toString());
    }

    void open(String address) {
        if (address.getBytes(StandardCharsets.UTF_8).length > MAX_ADDRESS_BYTES) {
            cannot(shortened(address), "アドレスが長すぎます (" + MAX_ADDRESS_BYTES + " バイトまで)");
            return;
        }
        if (address.indexOf('\n') >= 0 || address.indexOf('\r') >= 0) {
            cannot(shortened(address), "アドレスに改行があります");
            return;
        }
        synchronized (this) {
            if (address.equals(opening) || waiting.contains(address)) return;
            final long now = clock.getAsLong();
            while (!starts.isEmpty() && now - starts.peekFirst() >= SPAN_NANOS) starts.removeFirst();
            if (starts.size() >= STARTS_PER_SPAN) {
                if (!toldDropped)
                    note.accept("アプレットが短い間にページを開きすぎています。ブラウザで開くのは "
                                + TimeUnit.NANOSECONDS.toSeconds(SPAN_NANOS) + " 秒に " + STARTS_PER_SPAN
                                + " ページまでで、残りは開きません (" + shortened(address) + " など)。");
                toldDropped = true;
                return;
            }
            toldDropped = false;
            starts.addLast(now);
            waiting.addLast(address);
            if (opening != null || waiting.size() > 1) return;
        }
        final Thread opener = new Thread(this::openWaiting, "browser");
        opener.setDaemon(true);
        opener.start();
    }

    /** One page after the other until none waits. */
    private void openWaiting() {
        while (true) {
            final String address;
            synchronized (this) {
                opening = waiting.pollFirst();
                if (opening == null) return;
                address = opening;
            }
            if (socket == null || !askQuenlark(address)) ownOpener.accept(address);
        }
    }

    /** False only when nobody listens there; once Quenlark has it, its answer stands. */
    private boolean askQuenlark(String address) {
        final SocketChannel channel;
        try {
            channel = SocketChannel.open(UnixDomainSocketAddress.of(socket));
        } catch (IOException | RuntimeException noQuenlark) {
            return false;
        }
        try (channel) {
            channel.write(ByteBuffer.wrap((address + "\n").getBytes(StandardCharsets.UTF_8)));
            channel.shutdownOutput();
            final ByteBuffer reply = ByteBuffer.allocate(4096);
            while (reply.hasRemaining() && channel.read(reply) >= 0) {
            }
            final String answer = new String(reply.array(), 0, reply.position(), StandardCharsets.UTF_8).trim();
            if (answer.startsWith("NG ")) cannot(address, answer.substring(3));
            else if (!answer.equals("OK")) cannot(address, "Quenlark が答えませんでした");
        } catch (IOException e) {
            cannot(address, "Quenlark に頼めませんでした (" + e.getMessage() + ")");
        }
        return true;
    }

    private void cannot(String address, String why) {
        note.accept("ブラウザで " + address + " を開けません: " + why);
    }

    /** An address as shown in a note: its first 200 characters. */
    private static String shortened(String address) {
        final String line = address.replace("\n", "\\n").replace("\r", "\\r");
        return line.length() <= 200 ? line : line.substring(0, 200) + "…";
    }

    private static void print(String text) {
        System.out.println(text);
        System.out.flush();
    }

    private static void startXdgOpen(String address) {
        try {
            new ProcessBuilder("setsid", "-f", "xdg-open", address)
                .redirectInput(ProcessBuilder.Redirect.from(new File("/dev/null")))
                .redirectOutput(ProcessBuilder.Redirect.DISCARD)
                .redirectError(ProcessBuilder.Redirect.DISCARD)
                .start();
        } catch (IOException e) {
            print("ブラウザで " + address + " を開けません: " + e.getMessage());
        }
    }
}
