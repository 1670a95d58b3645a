// The server's reading of requests, its locale rule, and the protocol's names
// and codes against the client's header (its path is the one argument).
package org.quenlark.compiler;

import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.EOFException;
import java.io.IOException;
import java.lang.reflect.Field;
import java.lang.reflect.Modifier;
import java.nio.ByteBuffer;
import java.nio.channels.Channels;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.HashMap;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Stream;

public final class CompileRequestTest {
    private static int failures;

    private static void check(String what, boolean ok, String got) {
        System.out.println((ok ? "ok: " : "FAIL: ") + what + (ok ? "" : "\n  got " + got));
        if (!ok) failures++;
    }

    // A request as the client writes it: the magic and kind, then each
    // field (null is a field not set) and, after the sixth, the count of
    // the rest.
    private static byte[] request(String head, String... fields) throws IOException {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        DataOutputStream out = new DataOutputStream(bytes);
        out.writeBytes(head);
        for (int i = 0; i < fields.length; ++i) {
            if (i == 6) out.writeInt(fields.length - 6);
            byte[] b = fields[i] == null ? null : fields[i].getBytes(StandardCharsets.UTF_8);
            out.writeInt(b == null ? -1 : b.length);
            if (b != null) out.write(b);
        }
        if (fields.length == 6) out.writeInt(0);
        return bytes.toByteArray();
    }

    private static byte[] compile(String cwd, String locale, String language, String country, String classPath,
            String... args) throws IOException {
        return request("QLK1C", Stream.concat(Stream.of("/usr/bin/javac", cwd, locale, language, country, classPath),
                Arrays.stream(args)).toArray(String[]::new));
    }

    // What the server made of the bytes: its fields, "refused" (null: the
    // client runs javac), or the exception that ended the connection.
    private static String read(byte[] bytes) {
        try {
            CompileRequest r = CompileRequest.read(Channels.newChannel(new java.io.ByteArrayInputStream(bytes)));
            if (r == null) return "refused";
            if (r.status) return "state";
            return r.cwd + "|" + r.locale.toLanguageTag() + "|" + r.classPath + "|" + String.join(" ", r.args);
        } catch (EOFException e) {
            return "cut off";
        } catch (IOException e) {
            return "broken: " + e.getMessage();
        }
    }

    private static void requests() throws IOException {
        Object[][] rows = {
            {"a compile", compile("/home/u/java", "ja_JP.UTF-8", null, null, null, "-encoding", "UTF-8", "Hello.java"),
                "/home/u/java|ja-JP|null|-encoding UTF-8 Hello.java"},
            {"the -J-Duser.* values over the message locale, a class path",
                compile("/w", "C.UTF-8", "ja", "JP", ".:lib", "A.java"), "/w|ja-JP|.:lib|A.java"},
            {"an argument that is not ASCII", compile("/w", "C", null, null, null, "日本語.java"), "/w|en-US|null|日本語.java"},
            {"a state request", "QLK1S".getBytes(StandardCharsets.US_ASCII), "state"},
            {"another magic", request("QLK2C"), "refused"},
            {"an unknown kind", request("QLK1Z"), "refused"},
            {"a relative working folder", compile("w", "C", null, null, null, "A.java"), "refused"},
            {"no javac", request("QLK1C", null, "/w", "C", null, null, null), "refused"},
            {"no message locale", request("QLK1C", "/usr/bin/javac", "/w", null, null, null, null), "refused"},
            {"a locale the JDK reads through its aliases", compile("/w", "ja_JP.eucJP@euro", null, null, null),
                "refused"},
            {"a -J-Duser.language the JDK takes as it is", compile("/w", "C", "x y", null, null), "refused"},
            {"an output folder above the working folder", compile("/w", "C", null, null, null, "-d", "../out", "A.java"),
                "refused"},
            {"a class path entry above it", compile("/w", "C", null, null, null, "-cp", "lib:../jars/a.jar", "A.java"),
                "refused"},
            {"$CLASSPATH above it", compile("/w", "C", null, null, "sub/../../x", "A.java"), "refused"},
            {"a source above it", compile("/w", "C", null, null, null, "../A.java"), "refused"},
            {"paths that stay inside, absolute ones anywhere",
                compile("/w", "C", null, null, "a/../b", "-d", "out/../classes", "-cp", "/opt/../x.jar", "A.java"),
                "/w|en-US|a/../b|-d out/../classes -cp /opt/../x.jar A.java"},
            {"cut off in a field", Arrays.copyOf(compile("/w", "C", null, null, null, "A.java"), 30), "cut off"},
            {"a field longer than allowed",
                ByteBuffer.allocate(9).put("QLK1C".getBytes(StandardCharsets.US_ASCII))
                    .putInt(Protocol.MAX_FIELD + 1).array(), "broken: field too long"},
        };
        for (Object[] row : rows) {
            String got = read((byte[]) row[1]);
            check((String) row[0], got.equals(row[2]), got);
        }
        // More arguments than allowed: refused before any is read.
        byte[] many = compile("/w", "C", null, null, null);
        ByteBuffer.wrap(many).putInt(many.length - 4, Protocol.MAX_ARGS + 1);
        String got = read(many);
        check("more arguments than allowed", got.equals("refused"), got);
    }

    // The client's header, each constant by name: a string, a character or
    // a number as the header writes it.
    private static Map<String, String> headerConstants(Path header) throws IOException {
        Map<String, String> found = new HashMap<>();
        Pattern p = Pattern.compile("inline constexpr [a-z ]+\\*? ?(k\\w+) = (\"[^\"]*\"|'.'|[0-9<> ]+);");
        Matcher m = p.matcher(Files.readString(header));
        while (m.find()) found.put(javaName(m.group(1)), m.group(2));
        return found;
    }

    // The header's kFrameJavac is the server's FRAME_JAVAC: each language
    // names its constants as it does elsewhere.
    private static String javaName(String headerName) {
        return headerName.substring(1).replaceAll("(?<=[a-z0-9])(?=[A-Z])", "_").toUpperCase(java.util.Locale.ROOT);
    }

    // A constant as the header writes it; a number's shift worked out.
    private static String asWritten(Object v) {
        if (v instanceof String) return "\"" + v + "\"";
        if (v instanceof Character) return "'" + v + "'";
        return v.toString();
    }

    private static String headerValue(String text) {
        String[] shift = text.split("<<");
        return shift.length == 2 ? String.valueOf(Long.parseLong(shift[0].trim()) << Long.parseLong(shift[1].trim()))
                                 : text;
    }

    private static void protocolAgrees(Path header) throws Exception {
        Map<String, String> native_ = headerConstants(header);
        int compared = 0;
        for (Field f : Protocol.class.getDeclaredFields()) {
            if (!Modifier.isStatic(f.getModifiers())) continue;
            f.setAccessible(true);
            String ours = asWritten(f.get(null));
            String theirs = native_.remove(f.getName());
            check("the header's " + f.getName() + " is the server's", theirs != null && headerValue(theirs).equals(ours),
                    theirs + " against " + ours);
            ++compared;
        }
        check("every name of the header is the server's", native_.isEmpty() && compared > 10, native_.toString());
    }

    private static void locales() {
        String[][] rows = {
            {"POSIX", null, null, "en-US"}, {"en_GB", "ja", null, "ja-GB"}, {"de", null, "AT", "de-AT"}, {"es_419", null, null, "es-419"},
            {"sr_RS@latin", null, null, null}, {"Japanese", null, null, null}, {"ja_JP", "j", null, null},
        };
        for (String[] r : rows) {
            java.util.Locale l = CompileRequest.localeOf(r[0], r[1], r[2]);
            String got = l == null ? null : l.toLanguageTag();
            check("locale " + r[0] + " " + r[1] + " " + r[2], java.util.Objects.equals(got, r[3]), got);
        }
    }

    public static void main(String[] args) throws Exception {
        requests();
        locales();
        protocolAgrees(Path.of(args[0]));
        System.out.println(failures == 0 ? "all passed" : failures + " failed");
        System.exit(failures == 0 ? 0 : 1);
    }
}
