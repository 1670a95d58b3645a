// The life of one applet: a fresh class loader for every load, and init,
// start, stop and destroy each on a thread of its own, driven from one
// control thread, so a slow or hanging applet never holds up its window.
package org.quenlark.viewer;

import java.applet.Applet;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.io.IOException;
import java.lang.reflect.InvocationTargetException;
import java.net.MalformedURLException;
import java.net.URL;
import java.net.URLClassLoader;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.concurrent.TimeUnit;

@SuppressWarnings("removal")
final class AppletLife {
    /** How long stop, destroy or a running init may take before the window goes on without them. */
    private static final long PATIENCE_MS = 3000;

    final PageReader.Tag tag;
    final URL documentBase;
    final URL codeBase;
    final AppletWindow window;
    private final Viewer viewer;
    private final URL[] classPath;
    private final Stub stub;
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

    AppletLife(Viewer viewer, PageReader.Tag tag, URL page) throws MalformedURLException {
        this.viewer = viewer;
        this.tag = tag;
        documentBase = page;
        final String base = tag.codebase.isEmpty() ? "." : tag.codebase;
        codeBase = new URL(page, base.endsWith("/") ? base : base + "/");
        final List<URL> path = new ArrayList<>();
        for (String archive : tag.archives) path.add(new URL(codeBase, archive));
        path.add(codeBase);
        classPath = path.toArray(new URL[0]);
        window = new AppletWindow(viewer, new Dimension(tag.width, tag.height));
        stub = new Stub(this, new Context(viewer, this));
    }

    /** Shows the window and loads the applet into it. */
    void open() {
        viewer.opened(this);
        window.open(tag.code.substring(tag.code.lastIndexOf('.') + 1), this::reload, this::close);
        control.execute(this::load);
    }

    boolean isActive() {
        return active;
    }

    /** The applet while it is loaded, else null. */
    Applet applet() {
        return applet;
    }

    /** The applet's own text on the status line; it stays there after the start. */
    void spoke(String text) {
        appletSpoke = true;
        window.say(text);
    }

    // ---- on the control thread ----

    private void load() {
        final Loader l = new Loader(classPath);
        loader = l;
        failed = false;
        group = new ThreadGroup("applet-" + viewer.nextLoad());
        appletSpoke = false;
        window.say("読み込み中: " + tag.code);
        life = phase(() -> {
            final Applet a;
            try {
                a = Diagnoses.instantiate(tag, codeBase, documentBase, l);
            } catch (Diagnoses.Failure f) {
                fail(f.getMessage());
                return;
            }
            a.setStub(stub);
            onEdt(() -> window.hold(a));
            applet = a;
            try {
                a.init();
            } catch (Throwable e) {
                exception("init", e, false);
                return;
            }
            inited = true;
            onEdt(() -> window.reveal(a));
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
            if (!failed && !appletSpoke) window.say("アプレットを開始しました。");
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
        onEdt(window::empty);
        try {
            if (loader != null) loader.close();
        } catch (IOException ignored) {
            // Its jars close with the viewer at the latest.
        }
    }

    /** Runs one phase of the applet's life on a thread of its group. */
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
            t.join(PATIENCE_MS);
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

    // ---- from the window ----

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
                done.get(3 * PATIENCE_MS, TimeUnit.MILLISECONDS);
            } catch (Exception tooSlow) {
                // The window closes all the same.
            }
            viewer.closed(this);
            window.close();
        }, "閉じる");
        closer.setDaemon(true);
        closer.start();
    }

    // ---- failures ----

    /** Shows a failure in the applet's area and writes it to the output. */
    private void fail(String message) {
        failed = true;
        System.out.println(message);
        System.out.flush();
        window.say("エラー");
        onEdt(() -> window.showFailure(message, new Dimension(tag.width, tag.height)));
    }

    private void exception(String where, Throwable e, boolean printed) {
        if (failed) return;
        if (!printed) e.printStackTrace();
        fail(Diagnoses.thrown(tag.code, where, e));
    }

    /**
     * An exception no one caught, already printed: when this applet's code
     * threw it, its painting ends with a message and others show on the
     * status line, and true is returned.
     */
    boolean uncaught(Throwable e) {
        final Loader l = loader;
        if (l == null) return false;
        final StackTraceElement[] frames = e.getStackTrace();
        for (int i = frames.length - 1; i >= 0; i--) {
            if (!l.loaded(frames[i].getClassName())) continue;
            final String method = frames[i].getMethodName();
            if (method.matches("paint.*|update|print.*") && !failed) {
                failed = true;
                control.execute(() -> {
                    unload();
                    failed = false;
                    exception(method, e, true);
                });
            } else {
                window.say("例外が発生しました: " + e + " (「出力結果」を見てください)");
            }
            return true;
        }
        return false;
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
}
