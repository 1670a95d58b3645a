// The viewer of one page: opens one window per applet of the page, or a
// window that says why there is none, and owns what its windows share: the
// open windows (the last one closed ends the viewer), the applets, the
// streams applets hand each other, the browser their pages go to and the
// window of their output.
package org.quenlark.viewer;

import java.awt.EventQueue;
import java.awt.Frame;
import java.io.IOException;
import java.io.InputStream;
import java.net.MalformedURLException;
import java.net.URL;
import java.nio.file.InvalidPathException;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.List;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.atomic.AtomicInteger;

final class Viewer {
    private final List<Frame> windows = new CopyOnWriteArrayList<>();
    private final List<AppletLife> applets = new CopyOnWriteArrayList<>();
    private final AtomicInteger loads = new AtomicInteger();
    /** What applets handed each other through setStream. */
    final Map<String, InputStream> streams = new ConcurrentHashMap<>();
    final Browser browser = Browser.ofDesktop();
    /** What the applets wrote once result.txt became another run's. */
    final OutputWindow output;

    /** `output` is null when the output is not result.txt. */
    Viewer(Output output) {
        this.output = new OutputWindow(output);
    }

    void run(String pageArgument) {
        Thread.setDefaultUncaughtExceptionHandler(this::uncaught);
        final Path page;
        try {
            page = Paths.get(pageArgument).toAbsolutePath().normalize();
        } catch (InvalidPathException badName) {
            problem(pageArgument, "ページの名前が正しくありません: " + pageArgument);
            return;
        }
        final String shown = page.getFileName() == null ? pageArgument : page.getFileName().toString();
        final List<PageReader.Tag> tags;
        final URL pageUrl;
        try {
            pageUrl = page.toUri().toURL();
            final byte[] bytes = PageReader.load(page);
            tags = PageReader.read(PageReader.decode(bytes), shown);
        } catch (NoSuchFileException missing) {
            problem(shown, "ページ " + page + " がありません。");
            return;
        } catch (IOException | SecurityException unreadable) {
            problem(shown, "ページ " + page + " を読めません。\n理由: " + unreadable.getMessage());
            return;
        } catch (PageReader.Problem malformed) {
            problem(shown, malformed.getMessage());
            return;
        }
        for (PageReader.Tag tag : tags) {
            try {
                new AppletLife(this, tag, pageUrl).open();
            } catch (MalformedURLException badUrl) {
                problem(shown, shown + " の " + tag.line + " 行目: codebase または archive が正しくありません ("
                                   + badUrl.getMessage() + ")。");
            }
        }
    }

    /** Tells the learner why nothing can run, in a window and in the output. */
    void problem(String page, String message) {
        System.out.println(message);
        System.out.flush();
        EventQueue.invokeLater(() -> AppletWindow.message(this, page + " - アプレット", message));
    }

    void opened(Frame window) {
        windows.add(window);
    }

    /** Closes a window; the last one ends the viewer. */
    void closed(Frame window) {
        window.dispose();
        windows.remove(window);
        if (windows.isEmpty()) System.exit(0);
    }

    void opened(AppletLife applet) {
        applets.add(applet);
    }

    void closed(AppletLife applet) {
        applets.remove(applet);
    }

    /** The applets of the open windows, in the order they were opened. */
    List<AppletLife> applets() {
        return applets;
    }

    /** A number for the thread group of the next load. */
    int nextLoad() {
        return loads.incrementAndGet();
    }

    /** Exceptions no one caught go to the applet whose code threw them, where there is one. */
    void uncaught(Thread t, Throwable e) {
        System.err.print("Exception in thread \"" + t.getName() + "\" ");
        e.printStackTrace();
        for (AppletLife a : applets)
            if (a.uncaught(e)) return;
    }
}
