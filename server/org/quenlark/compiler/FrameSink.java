// The compile server's answer on one connection: one reply byte, then the
// compiler's output in frames, beats, and the exit status.
package org.quenlark.compiler;

import java.io.IOException;
import java.io.OutputStream;
import java.nio.ByteBuffer;
import java.nio.channels.WritableByteChannel;
import java.nio.charset.StandardCharsets;
import java.util.ArrayDeque;

/**
 * Reply bytes: 'A' the compile started, 'B' busy, 'R' refused (the client
 * runs javac for the last two). After 'A': frames 'O' (standard output) and
 * 'E' (standard error), each with a big-endian 32-bit length and the bytes;
 * 'K' a beat with no body; last either 'X' with the 32-bit exit status, or
 * 'J' with no body: the compile could not be finished here and the client
 * runs javac, writing only what goes beyond the output it was sent. A state
 * request gets 'S', a length and a line of text.
 *
 * The compiler's output is held back until the compile ends, up to
 * {@link #HELD_BYTES}: a compile that fails for want of resources reports
 * it at the end of its output, and that report, which javac would word
 * differently, must never reach the client. Beyond that much output the
 * oldest frames go out at once.
 */
class FrameSink {
    static final int HELD_BYTES = 1 << 20;

    private final WritableByteChannel channel;
    private final ArrayDeque<byte[]> held = new ArrayDeque<>();
    private long heldBytes;
    private boolean ended;

    FrameSink(WritableByteChannel channel) {
        this.channel = channel;
    }

    void reply(char code) throws IOException {
        send(code, null, 0, 0, false);
    }

    void status(String text) throws IOException {
        byte[] b = text.getBytes(StandardCharsets.UTF_8);
        send(Protocol.FRAME_STATE, b, 0, b.length, true);
    }

    void keepAlive() throws IOException {
        send(Protocol.FRAME_BEAT, null, 0, 0, false);
    }

    // The last frame: the held output, then the status. Whatever the
    // compile's streams are given afterwards (by a thread it left) is
    // dropped.
    synchronized void exit(int status) throws IOException {
        ended = true;
        while (!held.isEmpty()) write(ByteBuffer.wrap(held.poll()));
        heldBytes = 0;
        write(ByteBuffer.allocate(5).put((byte) Protocol.FRAME_EXIT).putInt(status).flip());
    }

    // The last frame of a compile the client must give to javac: the held
    // output is dropped.
    synchronized void toJavac() throws IOException {
        ended = true;
        held.clear();
        heldBytes = 0;
        send(Protocol.FRAME_JAVAC, null, 0, 0, false);
    }

    // Each write of the compiler's streams becomes one frame, so the client
    // writes its two streams in the order the compiler did.
    OutputStream stream(char kind) {
        return new OutputStream() {
            @Override
            public void write(int b) throws IOException {
                write(new byte[] {(byte) b}, 0, 1);
            }

            @Override
            public void write(byte[] b, int off, int len) throws IOException {
                if (len > 0) hold(kind, b, off, len);
            }
        };
    }

    synchronized void hold(char kind, byte[] b, int off, int len) throws IOException {
        if (ended) return;
        byte[] frame = ByteBuffer.allocate(5 + len).put((byte) kind).putInt(len).put(b, off, len).array();
        held.add(frame);
        heldBytes += frame.length;
        while (heldBytes > HELD_BYTES) {
            byte[] oldest = held.poll();
            heldBytes -= oldest.length;
            write(ByteBuffer.wrap(oldest));
        }
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
        void write(ByteBuffer b) {}
    }
}
