// The viewer's side of the browse requests against a socket of the test's
// own, which holds its answers until told: one page at a time, each address
// once while it waits, a handful in a span with one note for the rest, and no
// browser of the viewer's own after Quenlark has refused a page.
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
import java.util.Collections;
import java.util.List;
import java.util.concurrent.Semaphore;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicLong;

public final class BrowserTest {
    private static int failures;

    /** Quenlark's socket as the test plays it: records each request, answers when let. */
    private static final class FakeQuenlark implements AutoCloseable {
        final Path folder;
        final ServerSocketChannel server;
        final List<String> asked = Collections.synchronizedList(new ArrayList<>());
        final Semaphore answers = new Semaphore(0);
        final Semaphore served = new Semaphore(0);
        volatile String answer = "OK";

        FakeQuenlark() throws IOException {
            folder = Files.createTempDirectory("browse");
            server = ServerSocketChannel.open(StandardProtocolFamily.UNIX);
            server.bind(UnixDomainSocketAddress.of(folder.resolve("socket")));
            final Thread t = new Thread(this::serve, "fake quenlark");
            t.setDaemon(true);
            t.start();
        }

        String socket() {
            return folder.resolve("socket").toString();
        }

        private void serve() {
            while (true) {
                try (SocketChannel client = server.accept()) {
                    final ByteBuffer in = ByteBuffer.allocate(1 << 16);
                    while (client.read(in) >= 0) {
                    }
                    asked.add(new String(in.array(), 0, in.position(), StandardCharsets.UTF_8).trim());
                    answers.acquire();
                    client.write(ByteBuffer.wrap((answer + "\n").getBytes(StandardCharsets.UTF_8)));
                } catch (IOException | InterruptedException e) {
                    return;
                } finally {
                    served.release();
                }
            }
        }

        /** Lets `n` answers go and waits until they are sent. */
        void answer(int n) throws InterruptedException {
            answers.release(n);
            if (!served.tryAcquire(n, 10, TimeUnit.SECONDS)) throw new IllegalStateException("not served");
        }

        /** Waits until `n` requests have come in. */
        void waitFor(int n) throws InterruptedException {
            for (int i = 0; i < 1000 && asked.size() < n; i++) Thread.sleep(10);
        }

        @Override
        public void close() throws IOException {
            server.close();
            Files.deleteIfExists(folder.resolve("socket"));
            Files.deleteIfExists(folder);
        }
    }

    private static void check(String what, Object got, Object expected) {
        final boolean ok = got.equals(expected);
        System.out.println((ok ? "ok: " : "FAIL: ") + what + (ok ? "" : "\n  expected " + expected + "\n  got      " + got));
        if (!ok) failures++;
    }

    public static void main(String[] args) throws Exception {
        final AtomicLong now = new AtomicLong();
        final List<String> notes = Collections.synchronizedList(new ArrayList<>());
        final List<String> ownOpened = Collections.synchronizedList(new ArrayList<>());

        try (FakeQuenlark quenlark = new FakeQuenlark()) {
            final Browser b = new Browser(quenlark.socket(), now::get, notes::add, ownOpened::add);
            // An applet asking in paint: one start while the first waits for its answer.
            for (int i = 0; i < 300; i++) b.open("https://example.com/same");
            b.open("https://example.com/other");
            quenlark.waitFor(1);
            check("one request in flight while Quenlark has not answered", quenlark.asked.size(), 1);
            quenlark.answer(1);
            quenlark.waitFor(2);
            quenlark.answer(1);
            check("the same address while pending is one start; the next waited its turn", quenlark.asked,
                  List.of("https://example.com/same", "https://example.com/other"));

            // A span's worth, then the rest dropped with one note.
            for (int i = 0; i < 20; i++) b.open("https://example.com/" + i);
            quenlark.answer(Browser.STARTS_PER_SPAN - 2);
            check("pages in one span", quenlark.asked.size(), Browser.STARTS_PER_SPAN);
            check("one note for all the dropped pages", notes.size(), 1);
            now.addAndGet(Browser.SPAN_NANOS);
            b.open("https://example.com/later");
            quenlark.answer(1);
            check("a page once the span has passed", quenlark.asked.get(quenlark.asked.size() - 1),
                  "https://example.com/later");

            // Refused pages are told and never opened by the viewer itself.
            notes.clear();
            now.addAndGet(Browser.SPAN_NANOS);
            quenlark.answer = "NG ブラウザを開くのは 10 秒に 5 回までです";
            b.open("https://example.com/refused");
            quenlark.answer(1);
            b.open("https://example.com/" + "a".repeat(Browser.MAX_ADDRESS_BYTES));
            b.open("https://example.com/a\nhttps://example.com/b");
            for (int i = 0; i < 100 && notes.size() < 3; i++) Thread.sleep(10);
            check("refusals told", notes.size(), 3);
            check("Quenlark's reason", notes.stream().anyMatch(n -> n.endsWith("10 秒に 5 回までです")), true);
            check("an over-long address is refused before it is sent",
                  notes.stream().anyMatch(n -> n.contains("アドレスが長すぎます")), true);
            check("an address with a line feed is refused whole",
                  notes.stream().anyMatch(n -> n.contains("アドレスに改行があります")), true);
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
