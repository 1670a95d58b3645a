// The compile server's answer on one connection: one reply byte, then the
// compiler's output in frames as it is written, beats, and the exit status.
package org.quenlark.compiler;

import java.io.IOException;
import java.io.OutputStream;
import java.nio.ByteBuffer;
import java.nio.channels.WritableByteChannel;
import java.nio.charset.StandardCharsets;

/**
 * Reply bytes: 'A' the compile started, 'B' busy, 'R' refused (the client
 * runs javac for the last two). After 'A': frames 'O' (standard output) and
 * 'E' (standard error), each with a big-endian 32-bit length and the bytes;
 * 'K' a beat with no body; 'X' with the 32-bit exit status, last. A status
 * request gets 'S', a length and a line of text.
 */
class FrameSink {
    private final WritableByteChannel channel;

    FrameSink(WritableByteChannel channel) {
        this.channel = channel;
    }

    void reply(char code) throws IOException {
        send(code, null, 0, 0, false);
    }

    void status(String text) throws IOException {
        byte[] b = text.getBytes(StandardCharsets.UTF_8);
        send('S', b, 0, b.length, true);
    }

    void keepAlive() throws IOException {
        send('K', null, 0, 0, false);
    }

    void exit(int status) throws IOException {
        synchronized (this) {
            write(ByteBuffer.allocate(5).put((byte) 'X').putInt(status).flip());
        }
    }

    // Each write of the compiler's stream goes out at once as one frame, so
    // the client writes its two streams in the order the compiler did.
    OutputStream stream(char kind) {
        return new OutputStream() {
            @Override
            public void write(int b) throws IOException {
                write(new byte[] {(byte) b}, 0, 1);
            }

            @Override
            public void write(byte[] b, int off, int len) throws IOException {
                if (len > 0) send(kind, b, off, len, true);
            }
        };
    }

    synchronized void send(char kind, byte[] b, int off, int len, boolean sized) throws IOException {
        ByteBuffer head = ByteBuffer.allocate(sized ? 5 : 1).put((byte) kind);
        if (sized) head.putInt(len);
        write(head.flip());
        if (len > 0) write(ByteBuffer.wrap(b, off, len));
    }

    void write(ByteBuffer b) throws IOException {
        while (b.hasRemaining()) channel.write(b);
    }

    // For the warm-up compile: everything is dropped.
    static final class Discard extends FrameSink {
        Discard() {
            super(null);
        }

        @Override
        synchronized void send(char kind, byte[] b, int off, int len, boolean sized) {}

        @Override
        void exit(int status) {}
    }
}
