// One applet in a window of its own: a fresh class loader for every load, its
// life (init, start, stop, destroy) on threads of its own, its status line,
// its menu, and the world it asks for (parameters, images, sounds, pages).
package org.quenlark.viewer;

import java.applet.Applet;
import java.applet.AppletContext;
import java.applet.AppletStub;
import java.applet.AudioClip;
import java.awt.BorderLayout;
import java.awt.Canvas;
import java.awt.Color;
import java.awt.Component;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Frame;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.Label;
import java.awt.Menu;
import java.awt.MenuBar;
import java.awt.MenuItem;
import java.awt.MenuShortcut;
import java.awt.Panel;
import java.awt.Toolkit;
import java.awt.event.KeyEvent;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.IOException;
import java.io.InputStream;
import java.lang.reflect.Constructor;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Modifier;
import java.net.MalformedURLException;
import java.net.URISyntaxException;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Collections;
import java.util.Enumeration;
import java.util.Iterator;
import java.util.List;
import java.util.Map;
import java.util.Optional;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.stream.Stream;

@SuppressWarnings("removal")
final class AppletWindow implements AppletStub, AppletContext {
    /** Every open window of this viewer (applets and messages); the last one closed ends it. */
    private static final List<Frame> frames = new CopyOnWriteArrayList<>();
    private static final List<AppletWindow> applets = new CopyOnWriteArrayList<>();
    private static final Map<String, InputStream> streams = new ConcurrentHashMap<>();
    private static final AtomicInteger loads = new AtomicInteger();
    /** How long stop, destroy or a running init may take before the window goes on without them. */
    private static final long kPatienceMs = 3000;

    private final PageReader.Tag tag;
    private final URL documentBase;
    private final URL codeBase;
    private final URL[] classPath;
    private final Frame frame = new Frame();
    private final Holder holder;
    private final Label status = new Label(" ");
    private final ExecutorService control = Executors.newSingleThreadExecutor(r -> {
        final Thread t = new Thread(r, "アプレットの制御");
        t.setDaemon(true);
        return t;
    });
    private volatile Applet applet;
    private volatile Loader loader;
    private volatile boolean inited;
    private volatile boolean started;
    private volatile boolean active;
    private volatile boolean failed;
    private volatile boolean appletSpoke;  // the applet wrote on the status line since its load
    private volatile Thread life;
    private ThreadGroup group;
    private boolean closing;

    AppletWindow(PageReader.Tag tag, URL page) throws MalformedURLException {
        this.tag = tag;
        documentBase = page;
        final String base = tag.codebase.isEmpty() ? "." : tag.codebase;
        codeBase = new URL(page, base.endsWith("/") ? base : base + "/");
        final List<URL> path = new ArrayList<>();
        for (String archive : tag.archives) path.add(new URL(codeBase, archive));
        path.add(codeBase);
        classPath = path.toArray(new URL[0]);
        holder = new Holder(new Dimension(tag.width, tag.height));
    }

    /** Shows the window and loads the applet into it. */
    void open() {
        applets.add(this);
        EventQueue.invokeLater(() -> {
            final String simple = tag.code.substring(tag.code.lastIndexOf('.') + 1);
            frame.setTitle(simple + " - アプレット");
            final Menu menu = new Menu("アプレット");
            final MenuItem reload = new MenuItem("再読み込み", new MenuShortcut(KeyEvent.VK_R));
            reload.addActionListener(e -> reload());
            final MenuItem close = new MenuItem("閉じる", new MenuShortcut(KeyEvent.VK_W));
            close.addActionListener(e -> close());
            menu.add(reload);
            menu.addSeparator();
            menu.add(close);
            final MenuBar bar = new MenuBar();
            bar.add(menu);
            show(frame, bar, holder, status, this::close);
        });
        control.execute(this::load);
    }

    /** A window that only says something: why a page cannot run. */
    static void message(String title, String text) {
        final Frame f = new Frame(title);
        final Menu menu = new Menu("アプレット");
        final MenuItem close = new MenuItem("閉じる", new MenuShortcut(KeyEvent.VK_W));
        close.addActionListener(e -> closed(f));
        menu.add(close);
        final MenuBar bar = new MenuBar();
        bar.add(menu);
        show(f, bar, new Message(text, new Dimension(1, 1)), new Label("エラー"), () -> closed(f));
    }

    private static void show(Frame f, MenuBar bar, Component area, Label line, Runnable onClose) {
        frames.add(f);
        f.setMenuBar(bar);
        f.setBackground(Color.WHITE);
        f.add(area, BorderLayout.CENTER);
        f.add(line, BorderLayout.SOUTH);
        f.addWindowListener(new WindowAdapter() {
            @Override
            public void windowClosing(WindowEvent e) {
                onClose.run();
            }

            @Override
            public void windowOpened(WindowEvent e) {
                // The window manager's frame is known now; the area keeps its size.
                if (!area.getSize().equals(area.getPreferredSize())) f.pack();
            }
        });
        f.pack();
        f.setLocationByPlatform(true);
        f.setVisible(true);
    }

    private static void closed(Frame f) {
        f.dispose();
        frames.remove(f);
        if (frames.isEmpty()) System.exit(0);
    }

    // ---- the applet's life, on the control thread ----

    private void load() {
        final Loader l = new Loader(classPath);
        loader = l;
        failed = false;
        group = new ThreadGroup("applet-" + loads.incrementAndGet());
        appletSpoke = false;
        say("読み込み中: " + tag.code);
        life = phase(() -> {
            final Applet a;
            try {
                a = instantiate(l);
            } catch (Failure f) {
                fail(f.getMessage());
                return;
            }
            a.setStub(this);
            onEdt(() -> {
                holder.removeAll();
                a.setVisible(false);  // not painted before its init has run
                holder.add(a);
                holder.validate();
                // Back from a message to the page's size.
                if (!holder.getSize().equals(holder.getPreferredSize())) frame.pack();
            });
            applet = a;
            try {
                a.init();
            } catch (Throwable e) {
                exception("init", e, false);
                return;
            }
            inited = true;
            onEdt(() -> {
                a.setVisible(true);
                holder.validate();
                a.requestFocus();
            });
            try {
                active = true;
                a.start();
            } catch (Throwable e) {
                active = false;
                exception("start", e, false);
                return;
            }
            started = true;
            // What the applet itself put on the status line stays.
            if (!failed && !appletSpoke) say("アプレットを開始しました。");
        });
    }

    private void unload() {
        final Thread running = life;
        if (running != null) join(running);
        final Applet a = applet;
        if (a != null && started) {
            active = false;
            join(phase(() -> {
                try {
                    a.stop();
                } catch (Throwable e) {
                    e.printStackTrace();
                }
            }));
        }
        if (a != null && inited) {
            join(phase(() -> {
                try {
                    a.destroy();
                } catch (Throwable e) {
                    e.printStackTrace();
                }
            }));
        }
        active = started = inited = false;
        applet = null;
        life = null;
        // Threads the applet left running are asked to end.
        if (group != null) group.interrupt();
        onEdt(holder::removeAll);
        try {
            if (loader != null) loader.close();
        } catch (IOException ignored) {
            // Its jars close with the viewer at the latest.
        }
    }

    private Thread phase(Runnable work) {
        final Thread t = new Thread(group, () -> {
            Thread.currentThread().setContextClassLoader(loader);
            work.run();
        }, "アプレット " + tag.code);
        t.start();
        return t;
    }

    private static void join(Thread t) {
        try {
            t.join(kPatienceMs);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    private static void onEdt(Runnable r) {
        try {
            EventQueue.invokeAndWait(r);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        } catch (InvocationTargetException e) {
            e.getCause().printStackTrace();
        }
    }

    void reload() {
        if (closing) return;
        control.execute(() -> {
            unload();
            load();
        });
    }

    void close() {
        if (closing) return;
        closing = true;
        final Thread closer = new Thread(() -> {
            final Future<?> done = control.submit(this::unload);
            try {
                done.get(3 * kPatienceMs, TimeUnit.MILLISECONDS);
            } catch (Exception tooSlow) {
                // The window closes all the same.
            }
            applets.remove(this);
            EventQueue.invokeLater(() -> closed(frame));
        }, "閉じる");
        closer.setDaemon(true);
        closer.start();
    }

    // ---- failures ----

    private static final class Failure extends Exception {
        private static final long serialVersionUID = 1L;

        Failure(String message) {
            super(message);
        }
    }

    /** Shows a failure in the applet's area and writes it to the output. */
    private void fail(String message) {
        failed = true;
        System.out.println(message);
        System.out.flush();
        say("エラー");
        onEdt(() -> {
            holder.removeAll();
            holder.add(new Message(message, new Dimension(tag.width, tag.height)));
            holder.invalidate();
            frame.pack();
        });
    }

    private void exception(String where, Throwable e, boolean printed) {
        if (failed) return;
        if (!printed) e.printStackTrace();
        fail(tag.code + " の " + where + " で例外が発生しました。\n" + e + "\n\n"
             + "どこで起きたかは「出力結果」(result.txt) に出ています。直してコンパイルし、"
             + "メニューの「再読み込み」か「ｱﾌﾟﾚｯﾄ実行」でもう一度試してください。");
    }

    /** Exceptions no one caught: the applet's painting ends with a message, others show in the status line. */
    static void uncaught(Thread t, Throwable e) {
        System.err.print("Exception in thread \"" + t.getName() + "\" ");
        e.printStackTrace();
        final StackTraceElement[] frames = e.getStackTrace();
        for (AppletWindow w : applets) {
            final Loader l = w.loader;
            for (int i = frames.length - 1; i >= 0 && l != null; i--) {
                if (!l.loaded(frames[i].getClassName())) continue;
                final String method = frames[i].getMethodName();
                if (method.matches("paint.*|update|print.*") && !w.failed) {
                    w.failed = true;
                    w.control.execute(() -> {
                        w.unload();
                        w.failed = false;
                        w.exception(method, e, true);
                    });
                } else {
                    w.say("例外が発生しました: " + e + " (「出力結果」を見てください)");
                }
                return;
            }
        }
    }

    private Applet instantiate(ClassLoader l) throws Failure {
        final String cls = tag.code;
        final String simple = cls.substring(cls.lastIndexOf('.') + 1);
        final Class<?> c;
        try {
            c = Class.forName(cls, false, l);
        } catch (ClassNotFoundException e) {
            throw new Failure(missing(cls, simple));
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
    private String missing(String cls, String simple) {
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

    // ---- AppletStub ----

    @Override
    public boolean isActive() {
        return active;
    }

    @Override
    public URL getDocumentBase() {
        return documentBase;
    }

    @Override
    public URL getCodeBase() {
        return codeBase;
    }

    @Override
    public String getParameter(String name) {
        return name == null ? null : tag.params.get(name.toLowerCase(java.util.Locale.ROOT));
    }

    @Override
    public AppletContext getAppletContext() {
        return this;
    }

    @Override
    public void appletResize(int width, int height) {
        if (width <= 0 || height <= 0) return;
        EventQueue.invokeLater(() -> {
            holder.size = new Dimension(width, height);
            holder.invalidate();
            frame.pack();
        });
    }

    // ---- AppletContext ----

    @Override
    public AudioClip getAudioClip(URL url) {
        return new Sound(url);
    }

    @Override
    public Image getImage(URL url) {
        // Not cached, so a reload sees an image drawn anew.
        return Toolkit.getDefaultToolkit().createImage(url);
    }

    @Override
    public Applet getApplet(String name) {
        for (AppletWindow w : applets)
            if (w.tag.name.equalsIgnoreCase(name) && w.applet != null) return w.applet;
        return null;
    }

    @Override
    public Enumeration<Applet> getApplets() {
        final List<Applet> all = new ArrayList<>();
        for (AppletWindow w : applets)
            if (w.applet != null) all.add(w.applet);
        return Collections.enumeration(all);
    }

    @Override
    public void showDocument(URL url) {
        showDocument(url, "_self");
    }

    /** Opens the page in the desktop's browser, which outlives the viewer. */
    @Override
    public void showDocument(URL url, String target) {
        if (url != null) Browser.open(url);
    }

    @Override
    public void showStatus(String text) {
        appletSpoke = true;
        say(text);
    }

    private void say(String text) {
        final String line = text == null || text.isEmpty() ? " " : text;
        EventQueue.invokeLater(() -> status.setText(line));
    }

    @Override
    public void setStream(String key, InputStream stream) {
        if (key == null) return;
        if (stream == null)
            streams.remove(key);
        else
            streams.put(key, stream);
    }

    @Override
    public InputStream getStream(String key) {
        return key == null ? null : streams.get(key);
    }

    @Override
    public Iterator<String> getStreamKeys() {
        return new ArrayList<>(streams.keySet()).iterator();
    }

    /** A fresh loader over the code base and archives; knows the classes it loaded. */
    private static final class Loader extends URLClassLoader {
        Loader(URL[] path) {
            super(path, ClassLoader.getPlatformClassLoader());
        }

        boolean loaded(String name) {
            return findLoadedClass(name) != null;
        }
    }

    // ---- the applet's area ----

    /** Holds the applet (or a message) at the size the page asks for. */
    private static final class Holder extends Panel {
        private static final long serialVersionUID = 1L;
        Dimension size;

        Holder(Dimension size) {
            super(null);
            this.size = size;
        }

        @Override
        public Dimension getPreferredSize() {
            final Dimension own = new Dimension(size);
            for (Component c : getComponents())
                if (c instanceof Message) {
                    final Dimension need = c.getPreferredSize();
                    own.width = Math.max(own.width, need.width);
                    own.height = Math.max(own.height, need.height);
                }
            return own;
        }

        @Override
        public void doLayout() {
            for (Component c : getComponents()) c.setBounds(0, 0, getWidth(), getHeight());
        }
    }

    /** A failure, wrapped to the area's width; the area grows so the whole text shows. */
    private static final class Message extends Canvas {
        private static final long serialVersionUID = 1L;
        private static final int kMargin = 12;
        private final String text;
        private final Dimension least;

        Message(String text, Dimension least) {
            this.text = text;
            this.least = least;
            setFont(new Font(Font.DIALOG, Font.PLAIN, 13));
            setBackground(new Color(0xFF, 0xF6, 0xE0));
            setForeground(Color.BLACK);
        }

        private List<String> lines(FontMetrics fm, int width) {
            final List<String> out = new ArrayList<>();
            for (String paragraph : text.split("\n", -1)) {
                StringBuilder line = new StringBuilder();
                for (int i = 0; i < paragraph.length(); i++) {
                    final char ch = paragraph.charAt(i);
                    if (line.length() > 0 && fm.stringWidth(line.toString() + ch) > width) {
                        out.add(line.toString());
                        line = new StringBuilder();
                    }
                    line.append(ch);
                }
                out.add(line.toString());
            }
            return out;
        }

        @Override
        public Dimension getPreferredSize() {
            final FontMetrics fm = getFontMetrics(getFont());
            final int width = Math.max(least.width, 460);
            final int height = lines(fm, width - 2 * kMargin).size() * fm.getHeight() + 2 * kMargin;
            return new Dimension(width, Math.max(least.height, height));
        }

        @Override
        public void paint(Graphics g) {
            final FontMetrics fm = g.getFontMetrics();
            int y = kMargin + fm.getAscent();
            for (String line : lines(fm, getWidth() - 2 * kMargin)) {
                g.drawString(line, kMargin, y);
                y += fm.getHeight();
            }
        }
    }
}
