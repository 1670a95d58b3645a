// The page reader: finds every applet of an HTML page with its attributes and
// parameters, in the page's own character set.
package org.quenlark.viewer;

import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.Charset;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayDeque;
import java.util.ArrayList;
import java.util.Deque;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

final class PageReader {
    private PageReader() {}

    /** One applet of the page, as written there. */
    static final class Tag {
        String code = "";  // class name with dots, no ".class"
        String codebase = "";
        final List<String> archives = new ArrayList<>();
        int width;
        int height;
        String name = "";
        final Map<String, String> params = new LinkedHashMap<>();  // names in lower case
        int line;
        String element = "applet";
    }

    /** What makes a page unusable, worded for the learner. */
    static final class Problem extends Exception {
        private static final long serialVersionUID = 1L;

        Problem(String message) {
            super(message);
        }
    }

    private static final Charset WINDOWS_31J = Charset.forName("windows-31j");
    private static final Pattern META_CHARSET =
        Pattern.compile("<meta[^>]*?charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:\\-]+)", Pattern.CASE_INSENSITIVE);

    /** The page's character set: its meta charset, else UTF-8 when valid, else windows-31j. */
    static Charset charsetOf(byte[] bytes) {
        final String head = new String(bytes, 0, Math.min(bytes.length, 8192), StandardCharsets.ISO_8859_1);
        final Matcher m = META_CHARSET.matcher(head);
        if (m.find()) {
            final String name = m.group(1).toLowerCase(Locale.ROOT);
            // Pages written on Windows hold its extensions of Shift_JIS too.
            if (name.matches("shift[_-]?jis|x-sjis|sjis|ms_?932|cp932|windows-31j|csshiftjis")) return WINDOWS_31J;
            try {
                return Charset.forName(name);
            } catch (IllegalArgumentException unknown) {
                // An unknown name: guess from the bytes as if none were given.
            }
        }
        try {
            StandardCharsets.UTF_8.newDecoder()
                .onMalformedInput(CodingErrorAction.REPORT)
                .onUnmappableCharacter(CodingErrorAction.REPORT)
                .decode(ByteBuffer.wrap(bytes));
            return StandardCharsets.UTF_8;
        } catch (CharacterCodingException notUtf8) {
            return WINDOWS_31J;
        }
    }

    static String decode(byte[] bytes) {
        String text = new String(bytes, charsetOf(bytes));
        if (text.startsWith("\uFEFF")) text = text.substring(1);
        return text;
    }

    /** The largest page read; a bigger one is refused before it fills the memory. */
    static final int MAX_PAGE_BYTES = 16 << 20;

    /**
     * The bytes of the page at `file`, read up to one byte past the limit
     * whatever size the file system tells (a pipe or a growing file has none).
     */
    static byte[] load(Path file) throws IOException, Problem {
        final byte[] bytes;
        try (InputStream in = Files.newInputStream(file)) {
            if (Files.isRegularFile(file) && Files.size(file) > MAX_PAGE_BYTES) throw tooBig(file);
            bytes = in.readNBytes(MAX_PAGE_BYTES + 1);
        }
        if (bytes.length > MAX_PAGE_BYTES) throw tooBig(file);
        return bytes;
    }

    private static Problem tooBig(Path file) {
        return new Problem("ページ " + file + " は大きすぎるため読めません。\n読めるのは "
                           + (MAX_PAGE_BYTES >> 20) + " MiB までのページです。");
    }

    /** Every applet of the page, in order; `page` names the page in messages. */
    static List<Tag> read(String text, String page) throws Problem {
        return new PageReader.Scan(text, page).run();
    }

    /** Decodes the character references of an attribute value. */
    static String entities(String s) {
        if (s.indexOf('&') < 0) return s;
        final StringBuilder out = new StringBuilder(s.length());
        int i = 0;
        while (i < s.length()) {
            final char c = s.charAt(i);
            final int semi = c == '&' ? s.indexOf(';', i) : -1;
            if (semi < 0 || semi - i > 10) {
                out.append(c);
                i++;
                continue;
            }
            final String body = s.substring(i + 1, semi);
            String decoded = null;
            try {
                if (body.startsWith("#x") || body.startsWith("#X"))
                    decoded = new String(Character.toChars(Integer.parseInt(body.substring(2), 16)));
                else if (body.startsWith("#"))
                    decoded = new String(Character.toChars(Integer.parseInt(body.substring(1))));
            } catch (IllegalArgumentException notANumber) {
                decoded = null;
            }
            if (decoded == null) {
                switch (body) {
                    case "amp": decoded = "&"; break;
                    case "lt": decoded = "<"; break;
                    case "gt": decoded = ">"; break;
                    case "quot": decoded = "\""; break;
                    case "apos": decoded = "'"; break;
                    case "nbsp": decoded = "\u00A0"; break;
                    default: break;
                }
            }
            if (decoded == null) {
                out.append(c);
                i++;
            } else {
                out.append(decoded);
                i = semi + 1;
            }
        }
        return out.toString();
    }

    /** The class name of a code attribute: "pkg/Cls.class" and "pkg.Cls" both give "pkg.Cls". */
    static String className(String code) {
        String c = code.trim().replace('\\', '/');
        if (c.toLowerCase(Locale.ROOT).endsWith(".class")) c = c.substring(0, c.length() - 6);
        while (c.startsWith("/")) c = c.substring(1);
        return c.replace('/', '.');
    }

    private static final class Scan {
        final String text;
        final String page;
        int pos;
        int line = 1;
        int counted;  // text before this index has its newlines counted in `line`
        final List<Tag> found = new ArrayList<>();
        final Deque<Boolean> objects = new ArrayDeque<>();  // open <object>s: is it an applet?
        Tag open;

        Scan(String text, String page) {
            this.text = text;
            this.page = page;
        }

        int lineAt(int index) {
            for (; counted < index && counted < text.length(); counted++)
                if (text.charAt(counted) == '\n') line++;
            return line;
        }

        Problem problem(int at, String what) {
            return new Problem(page + " の " + lineAt(at) + " 行目: " + what);
        }

        List<Tag> run() throws Problem {
            final int n = text.length();
            while (true) {
                final int lt = text.indexOf('<', pos);
                if (lt < 0) break;
                if (text.startsWith("<!--", lt)) {
                    final int end = text.indexOf("-->", lt + 4);
                    if (end < 0) break;
                    pos = end + 3;
                    continue;
                }
                int j = lt + 1;
                final boolean closing = j < n && text.charAt(j) == '/';
                if (closing) j++;
                final int nameStart = j;
                while (j < n && (Character.isLetterOrDigit(text.charAt(j)) || text.charAt(j) == '-')) j++;
                if (j == nameStart || !Character.isLetter(text.charAt(nameStart))) {
                    pos = lt + 1;  // a "<" of the text, or <!DOCTYPE>
                    continue;
                }
                final String tag = text.substring(nameStart, j).toLowerCase(Locale.ROOT);
                final boolean ours =
                    tag.equals("applet") || tag.equals("object") || tag.equals("embed") || tag.equals("param");
                final Map<String, String> attrs = new LinkedHashMap<>();
                final int end = attributes(j, attrs, ours ? "<" + tag + ">" : null);
                if (end < 0) break;  // a tag of no concern cut off at the end
                pos = end;
                if (!closing && (tag.equals("script") || tag.equals("style"))) {
                    final int close = text.toLowerCase(Locale.ROOT).indexOf("</" + tag, pos);
                    pos = close < 0 ? n : close;
                    continue;
                }
                if (ours) element(tag, closing, attrs, lt);
            }
            finish();
            if (found.isEmpty())
                throw new Problem(page + " にアプレットがありません。\n"
                                  + "<applet code=\"Hello.class\" width=\"300\" height=\"200\"></applet> "
                                  + "のように書いてください。");
            return found;
        }

        /** Reads attributes up to the tag's ">"; returns the index after it, -1 at the end of the text. */
        int attributes(int j, Map<String, String> attrs, String tag) throws Problem {
            final int n = text.length();
            final int start = j;
            while (true) {
                while (j < n && (Character.isWhitespace(text.charAt(j)) || text.charAt(j) == '/')) j++;
                if (j >= n) {
                    if (tag == null) return -1;
                    throw problem(start, tag + " タグが「>」で閉じていません。");
                }
                if (text.charAt(j) == '>') return j + 1;
                final int nameStart = j;
                while (j < n && !Character.isWhitespace(text.charAt(j)) && "=>/".indexOf(text.charAt(j)) < 0) j++;
                final String name = text.substring(nameStart, j).toLowerCase(Locale.ROOT);
                int k = j;
                while (k < n && Character.isWhitespace(text.charAt(k))) k++;
                String value = "";
                if (k < n && text.charAt(k) == '=') {
                    k++;
                    while (k < n && Character.isWhitespace(text.charAt(k))) k++;
                    if (k < n && (text.charAt(k) == '"' || text.charAt(k) == '\'')) {
                        final char quote = text.charAt(k);
                        final int close = text.indexOf(quote, k + 1);
                        if (close < 0) {
                            if (tag == null) return -1;
                            throw problem(k, tag + " の " + name + " の値の引用符 (" + quote + ") が閉じていません。");
                        }
                        value = text.substring(k + 1, close);
                        j = close + 1;
                    } else {
                        final int valueStart = k;
                        while (k < n && !Character.isWhitespace(text.charAt(k)) && text.charAt(k) != '>') k++;
                        value = text.substring(valueStart, k);
                        j = k;
                    }
                }
                if (!name.isEmpty() && !attrs.containsKey(name)) attrs.put(name, entities(value));
            }
        }

        void element(String tag, boolean closing, Map<String, String> attrs, int at) throws Problem {
            switch (tag) {
                case "applet":
                    finish();
                    if (!closing) begin("applet", attrs, at);
                    return;
                case "object":
                    if (closing) {
                        final Boolean applet = objects.poll();
                        if (applet != null && applet) finish();
                        return;
                    }
                    final String type = attrs.getOrDefault("type", "").toLowerCase(Locale.ROOT);
                    final String classid = attrs.getOrDefault("classid", "");
                    final boolean applet = type.startsWith("application/x-java-applet") || classid.startsWith("java:");
                    objects.push(applet);
                    if (applet) {
                        finish();
                        if (!attrs.containsKey("code") && classid.startsWith("java:"))
                            attrs.put("code", classid.substring(5));
                        begin("object", attrs, at);
                    }
                    return;
                case "embed":
                    if (closing || !attrs.getOrDefault("type", "").toLowerCase(Locale.ROOT).startsWith(
                                       "application/x-java-applet"))
                        return;
                    finish();
                    begin("embed", attrs, at);
                    // Its other attributes are the applet's parameters.
                    for (Map.Entry<String, String> a : attrs.entrySet())
                        if (!a.getKey().matches("type|code|codebase|archive|width|height|name|src|pluginspage"))
                            open.params.put(a.getKey(), a.getValue());
                    finish();
                    return;
                default:  // param
                    if (closing || open == null || !attrs.containsKey("name")) return;
                    final String name = attrs.get("name").trim().toLowerCase(Locale.ROOT);
                    final String value = attrs.getOrDefault("value", "");
                    open.params.putIfAbsent(name, value);
                    if (open.element.equals("object")) {
                        if (name.matches("(java_)?code") && open.code.isEmpty()) open.code = className(value);
                        if (name.matches("(java_)?codebase") && open.codebase.isEmpty()) open.codebase = value.trim();
                        if (name.matches("(java_)?archive") && open.archives.isEmpty()) archives(open, value);
                    }
            }
        }

        void begin(String element, Map<String, String> attrs, int at) throws Problem {
            final Tag t = new Tag();
            t.element = element;
            t.line = lineAt(at);
            t.code = className(attrs.getOrDefault("code", ""));
            t.codebase = attrs.getOrDefault("codebase", "").trim();
            archives(t, attrs.getOrDefault("archive", ""));
            t.name = attrs.getOrDefault("name", "").trim();
            t.width = size(attrs.get("width"), "width", element, at);
            t.height = size(attrs.get("height"), "height", element, at);
            open = t;
        }

        static void archives(Tag t, String list) {
            for (String a : list.split(","))
                if (!a.trim().isEmpty()) t.archives.add(a.trim());
        }

        int size(String value, String what, String element, int at) throws Problem {
            try {
                final int v = Integer.parseInt(value == null ? "" : value.trim());
                if (v > 0 && v <= 10000) return v;
            } catch (NumberFormatException notANumber) {
                // told below
            }
            throw problem(at, "<" + element + "> の " + what + " がありません (または正しくありません: "
                                  + (value == null ? "なし" : "\"" + value + "\"") + ")。\n" + what
                                  + " には 1 から 10000 までのピクセル数を書いてください。例: width=\"300\" height=\"200\"");
        }

        void finish() throws Problem {
            if (open == null) return;
            final Tag t = open;
            open = null;
            if (t.code.isEmpty())
                throw new Problem(page + " の " + t.line + " 行目: <" + t.element + "> に code がありません。\n"
                                  + "code=\"Hello.class\" のように、アプレットのクラスを書いてください。");
            found.add(t);
        }
    }
}
