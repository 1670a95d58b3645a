// What a client asks of the compile server: its javac, working folder,
// locale, class path from the environment and javac's arguments.
package org.quenlark.compiler;

import java.io.EOFException;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.channels.ReadableByteChannel;
import java.nio.charset.StandardCharsets;
import java.nio.file.InvalidPathException;
import java.nio.file.Path;
import java.util.Locale;
import java.util.regex.Pattern;

/**
 * The request, as the client writes it (see PROTOCOL.md): the magic "QLK1",
 * then 'S' (the server's state) or 'C' and these fields, each a big-endian 32-bit length
 * and that many bytes of UTF-8 (a length of -1 is a field that is not set):
 * the real path of the client's javac, its working folder, its message
 * locale as the C library names it, the -J-Duser.language and
 * -J-Duser.country values it was given, $CLASSPATH, then the number of
 * arguments and each argument.
 */
final class CompileRequest {
    private static final Pattern LANGUAGE = Pattern.compile("[a-z]{2,8}");
    private static final Pattern COUNTRY = Pattern.compile("[A-Z]{2}|[0-9]{3}");
    // What separates the paths of a list or an option from its value.
    private static final Pattern PATH_SEPARATORS = Pattern.compile("[:=,]");

    boolean status;
    String javac;
    String cwd;
    Locale locale;
    String classPath;  // null when $CLASSPATH was not set
    String[] args;

    static CompileRequest warmUp(String dir) {
        CompileRequest r = new CompileRequest();
        r.cwd = dir;
        r.locale = Locale.US;
        r.args = new String[] {"-encoding", "UTF-8", "-Xlint:all", "Warm.java"};
        return r;
    }

    // The request, or null when it cannot be served as javac would serve it
    // (the client then runs javac): an unknown kind or locale, a field left
    // out, or a path that leads out of the working folder.
    static CompileRequest read(ReadableByteChannel in) throws IOException {
        byte[] head = bytes(in, Protocol.MAGIC.length() + 1);
        if (!new String(head, 0, head.length - 1, StandardCharsets.US_ASCII).equals(Protocol.MAGIC)) return null;
        CompileRequest r = new CompileRequest();
        final char kind = (char) head[head.length - 1];
        if (kind == Protocol.REQUEST_STATE) {
            r.status = true;
            return r;
        }
        if (kind != Protocol.REQUEST_COMPILE) return null;
        r.javac = string(in);
        r.cwd = string(in);
        String localeName = string(in);
        String language = string(in);
        String country = string(in);
        r.classPath = string(in);
        int count = number(in);
        if (r.javac == null || r.cwd == null || !r.cwd.startsWith("/") || localeName == null || count < 0
                || count > Protocol.MAX_ARGS) return null;
        r.args = new String[count];
        for (int i = 0; i < count; ++i) {
            r.args[i] = string(in);
            if (r.args[i] == null) return null;
        }
        r.locale = localeOf(localeName, language, country);
        if (r.locale == null || climbs(r.classPath)) return null;
        for (String a : r.args)
            if (climbs(a)) return null;
        return r;
    }

    // The default locale the JDK derives from the C library's message locale
    // ("ja_JP.UTF-8", "C"), with the -J-Duser.* values put over it; null for
    // a name it would read through its own alias table.
    static Locale localeOf(String name, String languageOverride, String countryOverride) {
        if (name.equals("C") || name.equals("POSIX")) name = "en_US";
        if (name.indexOf('@') >= 0) return null;
        int dot = name.indexOf('.');
        if (dot >= 0) name = name.substring(0, dot);
        int bar = name.indexOf('_');
        String language = bar < 0 ? name : name.substring(0, bar);
        String country = bar < 0 ? "" : name.substring(bar + 1);
        if (language.equals("C") || language.equals("POSIX")) language = "en";
        if (!LANGUAGE.matcher(language).matches() || !(country.isEmpty() || COUNTRY.matcher(country).matches()))
            return null;
        if (languageOverride != null) language = languageOverride;
        if (countryOverride != null) country = countryOverride;
        try {
            return new Locale.Builder().setLanguage(language).setRegion(country).build();
        } catch (java.util.IllformedLocaleException e) {
            return null;  // a -J-Duser.* value the JDK would take as it is
        }
    }

    // True when the argument names a relative path that leads out of the
    // working folder ("../out", "lib:../jars/a.jar", "-Dx=../y"). The
    // compiler makes such paths absolute against the working folder and
    // then drops each ".." with the name before it; here that folder is the
    // link the server points at the client's folder, so the name dropped
    // would be the link's and the path would lead into the server's own
    // folder. javac gives the result of such a compile.
    static boolean climbs(String argument) {
        if (argument == null) return false;
        for (String part : PATH_SEPARATORS.split(argument, -1)) {
            if (part.isEmpty() || part.startsWith("/")) continue;
            try {
                if (Path.of(part).normalize().startsWith("..")) return true;
            } catch (InvalidPathException notAPath) {
                // Not a name of a file; nothing to resolve.
            }
        }
        return false;
    }

    private static byte[] bytes(ReadableByteChannel in, int n) throws IOException {
        ByteBuffer b = ByteBuffer.allocate(n);
        while (b.hasRemaining()) {
            if (in.read(b) < 0) throw new EOFException();
        }
        return b.array();
    }

    private static int number(ReadableByteChannel in) throws IOException {
        return ByteBuffer.wrap(bytes(in, 4)).getInt();
    }

    private static String string(ReadableByteChannel in) throws IOException {
        int n = number(in);
        if (n == -1) return null;
        if (n < 0 || n > Protocol.MAX_FIELD) throw new IOException("field too long");
        return new String(bytes(in, n), StandardCharsets.UTF_8);
    }
}
