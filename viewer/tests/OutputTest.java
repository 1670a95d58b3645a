// The viewer's output against what other runs do to result.txt between its
// two lines: what result.txt and applet.txt then hold.
package org.quenlark.viewer;

import java.io.IOException;
import java.nio.channels.FileChannel;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.FileTime;

public final class OutputTest {
    private static int failures;

    interface Other {
        void touch(Path result) throws IOException;
    }

    private static void write(Path file, String text, StandardOpenOption how) throws IOException {
        Files.write(file, text.getBytes(StandardCharsets.UTF_8), StandardOpenOption.WRITE, how);
    }

    /** Another run's script: `: >result.txt`, then its own output. */
    private static Other emptiedThenWritten(String text) {
        return result -> {
            // Emptying a file marks its time; the test's clock must not hide that.
            final FileTime before = Files.getLastModifiedTime(result);
            write(result, text, StandardOpenOption.TRUNCATE_EXISTING);
            Files.setLastModifiedTime(result, FileTime.fromMillis(before.toMillis() + 1000));
        };
    }

    private static void row(String what, String first, Other other, String expectedResult, String expectedSpare)
        throws IOException {
        final Path folder = Files.createTempDirectory("output");
        final Path result = folder.resolve(Output.RESULT_NAME);
        Files.write(result, new byte[0]);
        try (FileChannel out = FileChannel.open(result, StandardOpenOption.WRITE, StandardOpenOption.APPEND)) {
            final Output output = new Output(out, result, result);
            output.write(first.getBytes(StandardCharsets.UTF_8));
            other.touch(result);
            output.write("second\n".getBytes(StandardCharsets.UTF_8));
        }
        final Path spare = folder.resolve(Output.SPARE_NAME);
        final String got = Files.readString(result) + "|" + (Files.exists(spare) ? Files.readString(spare) : "none");
        final String expected = expectedResult + "|" + expectedSpare;
        final boolean ok = got.equals(expected);
        System.out.println((ok ? "ok: " : "FAIL: ") + what + (ok ? "" : "\n  expected " + expected + "\n  got      " + got));
        if (!ok) failures++;
        for (Path p : new Path[] {result, spare, folder}) Files.deleteIfExists(p);
    }

    public static void main(String[] args) throws IOException {
        row("nobody else wrote: all in result.txt", "first\n", result -> {}, "first\nsecond\n", "none");
        row("a program the applet started wrote after it: still this run's", "first\n",
            result -> write(result, "child\n", StandardOpenOption.APPEND), "first\nchild\nsecond\n", "none");
        row("another run emptied it and wrote more than the applet had", "first\n",
            emptiedThenWritten("Hello.java をコンパイルしています\n"), "Hello.java をコンパイルしています\n",
            "second\n");
        row("another run emptied it and wrote as much", "first\n", emptiedThenWritten("12345\n"), "12345\n",
            "second\n");
        row("another run emptied it and has written nothing yet", "first\n", emptiedThenWritten(""), "",
            "second\n");
        row("the applet had written nothing when another run emptied it", "", emptiedThenWritten(""), "",
            "second\n");
        row("result.txt replaced by a new file", "first\n", result -> {
            Files.delete(result);
            write(result, "new\n", StandardOpenOption.CREATE_NEW);
        }, "new\n", "second\n");
        System.out.println(failures == 0 ? "all passed" : failures + " failed");
        System.exit(failures == 0 ? 0 : 1);
    }
}
