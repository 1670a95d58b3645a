// Opens a page in the desktop's browser for showDocument. Under Quenlark the
// viewer runs contained and everything it starts ends with it, so it asks
// Quenlark, through the socket $QUENLARK_BROWSE names, to start the browser;
// started by hand, it starts xdg-open itself, in a session of its own.
package org.quenlark.viewer;

import java.io.File;
import java.io.IOException;
import java.net.URL;
import java.net.UnixDomainSocketAddress;
import java.nio.ByteBuffer;
import java.nio.channels.SocketChannel;
import java.nio.charset.StandardCharsets;

final class Browser {
    private Browser() {}

    /** Opens the page without waiting; a failure is told in the output. */
    static void open(URL url) {
        final String address = url.toString();
        final String socket = System.getenv("QUENLARK_BROWSE");
        final Thread opener = new Thread(() -> {
            if (socket == null || socket.isEmpty() || !askQuenlark(socket, address)) startXdgOpen(address);
        }, "browser");
        opener.setDaemon(true);
        opener.start();
    }

    /** False when Quenlark did not answer: nobody listens there. */
    private static boolean askQuenlark(String socket, String address) {
        try (SocketChannel channel = SocketChannel.open(UnixDomainSocketAddress.of(socket))) {
            channel.write(ByteBuffer.wrap((address + "\n").getBytes(StandardCharsets.UTF_8)));
            channel.shutdownOutput();
            final ByteBuffer reply = ByteBuffer.allocate(4096);
            while (reply.hasRemaining() && channel.read(reply) >= 0) {
            }
            final String answer = new String(reply.array(), 0, reply.position(), StandardCharsets.UTF_8).trim();
            if (answer.startsWith("NG ")) cannot(address, answer.substring(3));
            return !answer.isEmpty();
        } catch (IOException | RuntimeException noQuenlark) {
            return false;
        }
    }

    private static void startXdgOpen(String address) {
        try {
            new ProcessBuilder("setsid", "-f", "xdg-open", address)
                .redirectInput(ProcessBuilder.Redirect.from(new File("/dev/null")))
                .redirectOutput(ProcessBuilder.Redirect.DISCARD)
                .redirectError(ProcessBuilder.Redirect.DISCARD)
                .start();
        } catch (IOException e) {
            cannot(address, e.getMessage());
        }
    }

    private static void cannot(String address, String why) {
        System.out.println("ブラウザで " + address + " を開けません: " + why);
        System.out.flush();
    }
}
