// Opens one window per applet of a page, or a window that says why there is none.
package org.quenlark.viewer;

import java.awt.EventQueue;
import java.io.IOException;
import java.net.MalformedURLException;
import java.net.URL;
import java.nio.file.InvalidPathException;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.List;

final class Viewer {
    private Viewer() {}

    static void run(String pageArgument) {
        Thread.setDefaultUncaughtExceptionHandler(AppletWindow::uncaught);
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
                new AppletWindow(tag, pageUrl).open();
            } catch (MalformedURLException badUrl) {
                problem(shown, shown + " の " + tag.line + " 行目: codebase または archive が正しくありません ("
                                   + badUrl.getMessage() + ")。");
            }
        }
    }

    /** Tells the learner why nothing can run, in a window and in the output. */
    static void problem(String page, String message) {
        System.out.println(message);
        System.out.flush();
        EventQueue.invokeLater(() -> AppletWindow.message(page + " - アプレット", message));
    }
}
