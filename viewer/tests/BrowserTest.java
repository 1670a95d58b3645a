// The viewer's side of the browse requests against a socket the test answers:
// one page at a time, a handful in a span, refusals told and never reopened.
package org.quenlark.viewer;

import java.io.IOException;
import java.net.StandardProtocolFamily;
import java.net.UnixDomainSocketAddress;
import java.nio.ByteBuffer;
import java.nio.channels.ServerSocketChannel;
import java.nio.channels.SocketChannel;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicLong;

public final class BrowserTest {
    private static int failures;

    /** Quenlark's socket as the test plays it: takes each request in turn and answers it. */
    private static final class FakeQuenlark implements AutoCloseable {
        final Path socket;
        final ServerSocketChannel server;
        final List<String> asked = new ArrayList<>();

        FakeQuenlark() throws IOException {
            socket = Files.createTempDirectory("browse").resolve("socket");
            server = ServerSocketChannel.open(StandardProtocolFamily.UNIX);
            server.bind(UnixDomainSocketAddress.of(socket));
        }

        /** The next request, read whole; its client waits for the answer. */
        SocketChannel take() throws IOException {
            final SocketChannel client = server.accept();
            final ByteBuffer in = ByteBuffer.allocate(1 << 16);
            while (client.read(in) >= 0) {
            }
            asked.add(new String(in.array(), 0, in.position(), StandardCharsets.UTF_8).trim());
            return client;
        }

        void answer(SocketChannel client, String answer) throws IOException {
            try (client) {
                client.write(ByteBuffer.wrap((answer + "\n").getBytes(StandardCharsets.UTF_8)));
            }
        }

        void answer(int n, String answer) throws IOException {
            for (int i = 0; i < n; i++) answer(take(), answer);
        }

        @Override
        public void close() throws IOException {
            server.close();
            Files.deleteIfExists(socket);
            Files.deleteIfExists(socket.getParent());
        }
    }

    private static void check(String what, Object got, Object expected) {
        final boolean ok = got.equals(expected);
        System.out.println((ok ? "ok: " : "FAIL: ") + what + (ok ? "" : "\n  expected " + expected + "\n  got      " + got));
        if (!ok) failures++;
    }

    public static void main(String[] args) throws Exception {
        final AtomicLong now = new AtomicLong();
        final List<String> notes = new java.util.concurrent.CopyOnWriteArrayList<>();
        final List<String> ownOpened = new java.util.concurrent.CopyOnWriteArrayList<>();

        try (FakeQuenlark quenlark = new FakeQuenlark()) {
            final Browser b = new Browser(quenlark.socket.toString(), now::get, notes::add, ownOpened::add);
            // An applet asking in paint: one start while the first waits for its answer.
            for (int i = 0; i < 300; i++) b.open("https://example.com/same");
            b.open("https://example.com/other");
            final SocketChannel first = quenlark.take();
            Thread.sleep(100);
            quenlark.server.configureBlocking(false);
            check("one request in flight while Quenlark has not answered", quenlark.server.accept() == null, true);
            quenlark.server.configureBlocking(true);
            quenlark.answer(first, "OK");
            quenlark.answer(1, "OK");
            check("the same address while pending is one start; the next waited its turn", quenlark.asked,
                  List.of("https://example.com/same", "https://example.com/other"));

            // A span's worth, then the rest dropped with one note.
            for (int i = 0; i < 20; i++) b.open("https://example.com/" + i);
            quenlark.answer(Browser.STARTS_PER_SPAN - 2, "OK");
            check("pages in one span", quenlark.asked.size(), Browser.STARTS_PER_SPAN);
            check("one note for all the dropped pages", notes.size(), 1);
            now.addAndGet(Browser.SPAN_NANOS);
            b.open("https://example.com/later");
            quenlark.answer(1, "OK");
            check("a page once the span has passed", quenlark.asked.get(quenlark.asked.size() - 1),
                  "https://example.com/later");

            // Refused pages are told and never opened by the viewer itself.
            notes.clear();
            now.addAndGet(Browser.SPAN_NANOS);
            b.open("https://example.com/refused");
            quenlark.answer(1, "NG ブラウザを開くのは 10 秒に 5 回までです");
            b.open("https://example.com/" + "a".repeat(Browser.MAX_ADDRESS_BYTES));
            b.open("https://example.com/a\nhttps://example.com/b");
            for (int i = 0; i < 100 && notes.size() < 3; i++) Thread.sleep(10);
            // Quenlark's reason; an over-long address and one with a line feed
            // are refused whole before they are sent.
            for (String told : List.of("10 秒に 5 回までです", "アドレスが長すぎます", "アドレスに改行があります"))
                check("told: " + told, notes.stream().filter(n -> n.contains(told)).count(), 1L);
            check("nothing opened by the viewer's own fallback", ownOpened, List.of());
        }

        // Nobody listens: started by hand, the viewer opens the page itself.
        final Browser alone = new Browser(null, now::get, notes::add, ownOpened::add);
        alone.open("https://example.com/");
        for (int i = 0; i < 100 && ownOpened.isEmpty(); i++) Thread.sleep(10);
        check("without Quenlark the viewer opens the page itself", ownOpened, List.of("https://example.com/"));

        System.out.println(failures == 0 ? "all passed" : failures + " failed");
        System.exit(failures == 0 ? 0 : 1);
    }
}
