// The page reader against one table of pages: each row a page and the applets
// it must give (code|codebase|archives|size|name|params), or a part of the
// message a broken page must give.
package org.quenlark.viewer;

import java.io.IOException;
import java.io.RandomAccessFile;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

public final class PageReaderTest {
    private static final Charset SJIS = Charset.forName("windows-31j");

    private static String summary(List<PageReader.Tag> tags) {
        final List<String> out = new ArrayList<>();
        for (PageReader.Tag t : tags) {
            final StringBuilder p = new StringBuilder();
            for (Map.Entry<String, String> e : t.params.entrySet())
                p.append(p.length() == 0 ? "" : ";").append(e.getKey()).append('=').append(e.getValue());
            out.add(t.code + "|" + t.codebase + "|" + String.join(",", t.archives) + "|" + t.width + "x" + t.height
                    + "|" + t.name + "|" + p);
        }
        return String.join(" / ", out);
    }

    private static int failures;

    /** `expected` is the summary, or "!" and a part of the message. */
    private static void check(String what, String got, String expected) {
        final boolean ok = expected.startsWith("!") ? got.startsWith("!") && got.contains(expected.substring(1))
                                                    : got.equals(expected);
        System.out.println((ok ? "ok: " : "FAIL: ") + what + (ok ? "" : "\n  expected " + expected + "\n  got      " + got));
        if (!ok) failures++;
    }

    private static void row(String what, byte[] page, String expected) {
        String got;
        try {
            got = summary(PageReader.read(PageReader.decode(page), "T.html"));
        } catch (PageReader.Problem p) {
            got = "!" + p.getMessage();
        }
        check(what, got, expected);
    }

    private static void row(String what, String page, String expected) {
        row(what, page.getBytes(StandardCharsets.UTF_8), expected);
    }

    /** A sparse page of `size` bytes that opens with an applet: the limit is on the bytes, not the tags. */
    private static void sized(String what, long size, String expected) throws IOException {
        final Path file = Files.createTempFile("page", ".html");
        try (RandomAccessFile f = new RandomAccessFile(file.toFile(), "rw")) {
            f.write("<applet code=Big width=1 height=1>".getBytes(StandardCharsets.US_ASCII));
            f.setLength(size);
        }
        String got;
        try {
            got = summary(PageReader.read(PageReader.decode(PageReader.load(file)), "T.html"));
        } catch (PageReader.Problem p) {
            got = "!" + p.getMessage();
        } finally {
            Files.delete(file);
        }
        check(what, got, expected);
    }

    public static void main(String[] args) throws IOException {
        sized("a page of exactly the limit is read", PageReader.MAX_PAGE_BYTES, "Big|||1x1||");
        sized("a page one byte over the limit is refused", PageReader.MAX_PAGE_BYTES + 1L,
              "!は大きすぎるため読めません。\n読めるのは 16 MiB までのページです。");
        sized("a page of several GB is refused", 6L << 30, "!は大きすぎるため読めません。");
        row("plain applet with .class", "<applet code=\"Hello.class\" width=\"300\" height=\"200\"></applet>",
            "Hello|||300x200||");
        row("tags and attributes in any case, unquoted and single-quoted values",
            "<HTML><APPLET CODE=Hello WIDTH='120' Height=80 NAME=one></APPLET>", "Hello|||120x80|one|");
        row("params with names in lower case, entities decoded",
            "<applet code=A width=1 height=2><PARAM NAME=\"Msg\" VALUE=\"a &amp; b &lt;c&gt; &quot;d&quot; &#65;&#x42; &bogus;\">"
                + "<param name=empty></applet>",
            "A|||1x2||msg=a & b <c> \"d\" AB &bogus;;empty=");
        row("codebase and comma-separated archives",
            "<applet code=\"p/Q.class\" codebase=\"classes/\" archive=\"a.jar, lib/b.jar\" width=10 height=10></applet>",
            "p.Q|classes/|a.jar,lib/b.jar|10x10||");
        row("package name with dots", "<applet code=\"pkg.sub.Cls\" width=5 height=5>", "pkg.sub.Cls|||5x5||");
        row("a Shift_JIS page told by its meta",
            ("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
             + "<applet code=J width=9 height=9><param name=text value=\"こんにちは①\"></applet>").getBytes(SJIS),
            "J|||9x9||text=こんにちは①");
        row("a Shift_JIS page without a meta",
            "<applet code=J width=9 height=9><param name=text value=\"日本語\"></applet>".getBytes(SJIS),
            "J|||9x9||text=日本語");
        row("a UTF-8 page with a byte order mark",
            "\uFEFF<meta charset=utf-8><applet code=U width=3 height=4><param name=t value='表示'></applet>",
            "U|||3x4||t=表示");
        row("two applets, the first left open, a comment skipped",
            "<!-- <applet code=Old width=1 height=1> --><applet code=One width=1 height=1 name=a>"
                + "<param name=x value=1><applet code=Two width=2 height=2 name=b><param name=y value=2></applet>",
            "One|||1x1|a|x=1 / Two|||2x2|b|y=2");
        row("object and embed of the applet type; other objects ignored",
            "<object type=\"image/svg+xml\" data=x.svg><param name=z value=0></object>"
                + "<object type=\"application/x-java-applet\" width=7 height=8><param name=code value=Obj.class>"
                + "<param name=k value=v></object>"
                + "<embed type=\"application/x-java-applet;version=1.6\" code=Emb width=3 height=3 color=red>",
            "Obj|||7x8||code=Obj.class;k=v / Emb|||3x3||color=red");
        row("a page without applets", "<html><body><p>a < b</p></body></html>", "!アプレットがありません");
        row("an applet tag cut off", "<p>\n<applet code=A width=1 height=1", "!2 行目: <applet> タグが「>」で閉じていません");
        row("an unclosed quote", "<applet code=\"A width=1 height=1>", "!code の値の引用符 (\") が閉じていません");
        row("an applet without code", "<applet width=1 height=1></applet>", "!<applet> に code がありません");
        row("a width that is no number", "<applet code=A width=wide height=1>", "!width がありません (または正しくありません: \"wide\")");
        System.out.println(failures == 0 ? "all passed" : failures + " failed");
        System.exit(failures == 0 ? 0 : 1);
    }
}
