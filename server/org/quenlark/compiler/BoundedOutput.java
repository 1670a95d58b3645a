// The server's own standard output and error: what goes beyond a share of
// the log is dropped, so that nothing printed outside a compile fills it.
package org.quenlark.compiler;

import java.io.IOException;
import java.io.OutputStream;

final class BoundedOutput extends OutputStream {
    static final long SHARE = 1L << 20;

    private final OutputStream out;
    private long written;

    BoundedOutput(OutputStream out) {
        this.out = out;
    }

    @Override
    public synchronized void write(int b) throws IOException {
        write(new byte[] {(byte) b}, 0, 1);
    }

    @Override
    public synchronized void write(byte[] b, int off, int len) throws IOException {
        int n = (int) Math.max(0, Math.min(len, SHARE - written));
        if (n == 0) return;
        written += n;
        out.write(b, off, n);
    }

    @Override
    public void flush() throws IOException {
        out.flush();
    }
}
