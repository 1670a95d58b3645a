// Where the viewer's output goes. Started by applet.bat, its standard output
// and error are result.txt, open for appending, which every script empties
// for a run of its own; once another script has done so, what the applets
// write goes to applet.txt beside it, not into that run's output.
package org.quenlark.viewer;

import java.io.BufferedOutputStream;
import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;
import java.nio.ByteBuffer;
import java.nio.channels.Channels;
import java.nio.channels.FileChannel;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.FileTime;
import java.nio.file.attribute.PosixFilePermissions;
import java.util.Arrays;
import java.util.EnumSet;

final class Output extends OutputStream {
    /** The file in the data folder that takes the output once result.txt is another run's. */
    static final String SPARE_NAME = "applet.txt";
    static final String RESULT_NAME = "result.txt";
    /** How much of the end of our output is compared to tell that result.txt still holds it. */
    private static final int TAIL_BYTES = 64;

    private final FileChannel out;
    private final Path opened;
    private final Path result;
    private final Path spare;
    // Guarded by this: where our part of result.txt ends, its last bytes
    // and the file's time then, and applet.txt once the output has moved there.
    private long end;
    private byte[] tail;
    private FileTime changed;
    private OutputStream moved;
    private boolean lost;

    /**
     * Writes to `out`, result.txt at `result` open for appending, which the
     * system names `opened` (a link to the open file that stays when the file
     * at `result` is replaced).
     */
    Output(FileChannel out, Path opened, Path result) throws IOException {
        this.out = out;
        this.opened = opened;
        this.result = result;
        spare = result.resolveSibling(SPARE_NAME);
        mark();
    }

    /**
     * The output of a viewer whose standard output is a result.txt, put in
     * place of System.out and System.err (one stream, so their order stays);
     * null when it is something else (a terminal, started by hand).
     */
    static Output install() {
        final Path opened = Paths.get("/proc/self/fd/1");
        final Path result;
        try {
            result = opened.toRealPath();
        } catch (IOException | SecurityException | UnsupportedOperationException unknown) {
            return null;
        }
        if (!Files.isRegularFile(result) || !result.getFileName().toString().equals(RESULT_NAME)) return null;
        final Output output;
        try {
            output = new Output(new FileOutputStream(FileDescriptor.out).getChannel(), opened, result);
        } catch (IOException e) {
            return null;
        }
        final Charset charset = charset("stdout.encoding");
        System.setOut(new PrintStream(new BufferedOutputStream(output, 128), true, charset));
        System.setErr(new PrintStream(new BufferedOutputStream(output, 128), true, charset("stderr.encoding")));
        return output;
    }

    /** The character set the JDK was told for one of its standard streams. */
    static Charset charset(String property) {
        try {
            return Charset.forName(System.getProperty(property, System.getProperty("native.encoding")));
        } catch (RuntimeException unknown) {
            return Charset.defaultCharset();
        }
    }

    /** applet.txt, where the output goes once result.txt is another run's. */
    Path spare() {
        return spare;
    }

    /** Whether the output has gone to applet.txt. */
    synchronized boolean hasMoved() {
        return moved != null || lost;
    }

    @Override
    public void write(int b) throws IOException {
        write(new byte[] {(byte) b}, 0, 1);
    }

    @Override
    public synchronized void write(byte[] b, int off, int len) throws IOException {
        if (len == 0) return;
        if (moved == null && !lost && !stillOurs()) move();
        if (lost) return;
        if (moved != null) {
            moved.write(b, off, len);
            return;
        }
        final ByteBuffer bytes = ByteBuffer.wrap(b, off, len);
        while (bytes.hasRemaining()) out.write(bytes);
        mark();
    }

    /** Notes where our output in result.txt now ends, and its last bytes as they are there. */
    private void mark() throws IOException {
        end = out.position();
        tail = readAt(Math.max(0, end - TAIL_BYTES), (int) Math.min(end, TAIL_BYTES));
        changed = Files.getLastModifiedTime(result);
    }

    /**
     * Whether result.txt still ends with our output, or only has more after
     * it: the same file, untouched since, or no shorter with our last bytes
     * where we left them. Emptying a file changes its time even when it was
     * empty, so an empty result.txt that was touched is taken as another
     * run's: what was written there cannot be told from its output.
     */
    private boolean stillOurs() {
        try {
            if (!Files.isSameFile(opened, result)) return false;
            final long size = out.size();
            if (size == end && Files.getLastModifiedTime(result).equals(changed)) return true;
            if (size < end || end == 0) return false;
            return Arrays.equals(readAt(end - tail.length, tail.length), tail);
        } catch (IOException | SecurityException gone) {
            return false;
        }
    }

    private byte[] readAt(long position, int length) throws IOException {
        final ByteBuffer bytes = ByteBuffer.allocate(length);
        if (length == 0) return bytes.array();
        try (FileChannel in = FileChannel.open(result, StandardOpenOption.READ)) {
            while (bytes.hasRemaining() && in.read(bytes, position + bytes.position()) >= 0) {
            }
        }
        return Arrays.copyOf(bytes.array(), bytes.position());
    }

    /** From now on into applet.txt, emptied first; if it cannot be made, the output is dropped. */
    private void move() {
        try {
            moved = Channels.newOutputStream(FileChannel.open(
                spare,
                EnumSet.of(StandardOpenOption.CREATE, StandardOpenOption.WRITE, StandardOpenOption.TRUNCATE_EXISTING),
                PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rw-------"))));
        } catch (IOException | RuntimeException e) {
            lost = true;
        }
    }
}
