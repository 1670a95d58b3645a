// Why an applet cannot be made, in the learner's words: a class not compiled
// yet or elsewhere than the page says, compiled by a newer JDK, in another
// package, no applet at all, not public, without the constructor a viewer
// needs, or one whose construction threw.
package org.quenlark.viewer;

import java.applet.Applet;
import java.io.IOException;
import java.lang.reflect.Constructor;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Modifier;
import java.net.URISyntaxException;
import java.net.URL;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Optional;
import java.util.stream.Stream;

@SuppressWarnings("removal")
final class Diagnoses {
    private Diagnoses() {}

    /** A failure to show in the applet's area. */
    static final class Failure extends Exception {
        private static final long serialVersionUID = 1L;

        Failure(String message) {
            super(message);
        }
    }

    /** What a phase of the applet's life that threw tells the learner. */
    static String thrown(String code, String where, Throwable e) {
        return code + " の " + where + " で例外が発生しました。\n" + e + "\n\n"
            + "どこで起きたかは「出力結果」(result.txt) に出ています。直してコンパイルし、"
            + "メニューの「再読み込み」か「ｱﾌﾟﾚｯﾄ実行」でもう一度試してください。";
    }

    /** A fresh instance of the page's applet class from `l`, or the failure in the learner's words. */
    static Applet instantiate(PageReader.Tag tag, URL codeBase, URL documentBase, ClassLoader l) throws Failure {
        final String cls = tag.code;
        final String simple = cls.substring(cls.lastIndexOf('.') + 1);
        final Class<?> c;
        try {
            c = Class.forName(cls, false, l);
        } catch (ClassNotFoundException e) {
            throw new Failure(missing(cls, simple, codeBase, documentBase));
        } catch (UnsupportedClassVersionError e) {
            throw new Failure(simple + ".class は、いま使っている Java (" + Runtime.version().feature()
                              + ") より新しい JDK でコンパイルされています。\n"
                              + "同じ JDK でコンパイルし直してください (「ｺﾝﾊﾟｲﾙ実行」)。");
        } catch (NoClassDefFoundError e) {
            final String text = String.valueOf(e.getMessage());
            final int at = text.indexOf("wrong name: ");
            if (at < 0) throw new Failure("クラス " + cls + " を読み込めません: " + e);
            final String actual = text.substring(at + 12).replace(")", "").trim().replace('/', '.');
            final String pkg = actual.lastIndexOf('.') < 0 ? "" : actual.substring(0, actual.lastIndexOf('.'));
            throw new Failure("ページの code は " + cls + " ですが、" + simple + ".class のクラスは " + actual + " です。\n"
                              + (pkg.isEmpty() ? "code=\"" + actual + ".class\" と書いてください。"
                                               : "package " + pkg + " のクラスは codebase の下の "
                                                     + pkg.replace('.', '/') + " フォルダに置き、code=\""
                                                     + actual + "\" と書いてください。"));
        } catch (LinkageError e) {
            throw new Failure("クラス " + cls + " を読み込めません: " + e);
        }
        if (!Applet.class.isAssignableFrom(c)) {
            boolean hasMain;
            try {
                c.getMethod("main", String[].class);
                hasMain = true;
            } catch (NoSuchMethodException | LinkageError e) {
                hasMain = false;
            }
            throw new Failure(cls + " はアプレットではありません。\n"
                              + "アプレットは java.applet.Applet か javax.swing.JApplet を継承 (extends) "
                              + "してください。"
                              + (hasMain ? "\nmain メソッドのあるプログラムは「ｱﾌﾟﾘｹｰｼｮﾝ実行」で実行してください。" : ""));
        }
        if (!Modifier.isPublic(c.getModifiers()))
            throw new Failure(notPublic(cls, simple));
        final Constructor<?> k;
        try {
            k = c.getConstructor();
        } catch (NoSuchMethodException e) {
            throw new Failure(cls + " には引数のない public なコンストラクタがありません。\n"
                              + "コンストラクタを消すか、public " + simple + "() { ... } を加えてください。"
                              + "初期化は init メソッドに書きます。");
        } catch (LinkageError e) {
            throw new Failure("クラス " + cls + " を読み込めません: " + e);
        }
        try {
            return (Applet) k.newInstance();
        } catch (IllegalAccessException e) {
            throw new Failure(notPublic(cls, simple));
        } catch (InstantiationException e) {
            throw new Failure(cls + " は abstract なクラスなので作れません。abstract を外してください。");
        } catch (InvocationTargetException e) {
            e.getCause().printStackTrace();
            throw new Failure(cls + " のコンストラクタで例外が発生しました。\n" + e.getCause() + "\n\n"
                              + "どこで起きたかは「出力結果」(result.txt) に出ています。");
        } catch (ExceptionInInitializerError e) {
            e.printStackTrace();
            throw new Failure(cls + " の static の初期化で例外が発生しました。\n" + e.getCause() + "\n\n"
                              + "どこで起きたかは「出力結果」(result.txt) に出ています。");
        }
    }

    private static String notPublic(String cls, String simple) {
        return cls + " が public ではありません。\n「public class " + simple
            + " extends Applet」のように public を付けてください。";
    }

    /** Why a class is missing: not compiled yet, or somewhere else than the page says. */
    private static String missing(String cls, String simple, URL codeBase, URL documentBase) {
        final Optional<Path> base = folderOf(codeBase);
        final String expected = cls.replace('.', '/') + ".class";
        final Path page = folderOf(documentBase).orElse(null);
        Path elsewhere = null;
        for (Path root : new Path[] {base.orElse(null), page}) {
            if (root == null || elsewhere != null) continue;
            try (Stream<Path> found = Files.find(root, 3, (p, a) -> p.getFileName().toString().equals(simple + ".class")
                                                                       && a.isRegularFile())) {
                elsewhere = found.findFirst().orElse(null);
            } catch (IOException | SecurityException unreadable) {
                elsewhere = null;
            }
        }
        final String where = base.map(b -> b.resolve(expected).toString()).orElse(codeBase + expected);
        if (elsewhere != null)
            return "クラス " + cls + " が見つかりません (" + where + " がありません)。\n" + simple + ".class は "
                + elsewhere + " にあります。\nページの code と codebase を、クラスの package とフォルダに合わせてください。"
                + "\n(package のないクラスはページと同じフォルダに、package p のクラスは p フォルダに置き、"
                + "code=\"p." + simple + "\" と書きます)";
        return "クラス " + cls + " が見つかりません (" + where + " がありません)。\n"
            + "まだコンパイルしていないときは「ｺﾝﾊﾟｲﾙ実行」を押して " + simple + ".java をコンパイルしてから、"
            + "もう一度「ｱﾌﾟﾚｯﾄ実行」を押してください。";
    }

    private static Optional<Path> folderOf(URL url) {
        try {
            if (!"file".equals(url.getProtocol())) return Optional.empty();
            final Path p = Paths.get(url.toURI());
            return Optional.of(Files.isDirectory(p) ? p : p.getParent());
        } catch (URISyntaxException | IllegalArgumentException e) {
            return Optional.empty();
        }
    }
}
