// The window of one applet: its frame and アプレット menu (再読み込み, the
// applets' output, 閉じる), the applet's area and the status line; and the window that only says why a page cannot run.
// Everything here runs on the event thread unless it says otherwise.
package org.quenlark.viewer;

import java.applet.Applet;
import java.awt.BorderLayout;
import java.awt.Color;
import java.awt.Component;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Label;
import java.awt.Menu;
import java.awt.MenuBar;
import java.awt.MenuItem;
import java.awt.MenuShortcut;
import java.awt.event.KeyEvent;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;

@SuppressWarnings("removal")
final class AppletWindow {
    private final Viewer viewer;
    private final Frame frame = new Frame();
    private final AppletArea area;
    private final Label status = new Label(" ");

    AppletWindow(Viewer viewer, Dimension size) {
        this.viewer = viewer;
        area = new AppletArea(size);
    }

    /** Shows the window, titled after the applet's class; from any thread. */
    void open(String simpleName, Runnable reload, Runnable close) {
        EventQueue.invokeLater(() -> {
            frame.setTitle(simpleName + " - アプレット");
            final Menu menu = new Menu("アプレット");
            final MenuItem again = new MenuItem("再読み込み", new MenuShortcut(KeyEvent.VK_R));
            again.addActionListener(e -> reload.run());
            menu.add(again);
            menu.add(outputItem(viewer));
            menu.addSeparator();
            menu.add(closeItem(close));
            show(viewer, frame, menu, area, status, close);
        });
    }

    /** A window that only says something: why a page cannot run. */
    static void message(Viewer viewer, String title, String text) {
        final Frame f = new Frame(title);
        final Menu menu = new Menu("アプレット");
        menu.add(outputItem(viewer));
        menu.addSeparator();
        menu.add(closeItem(() -> viewer.closed(f)));
        show(viewer, f, menu, new MessageArea(text, new Dimension(1, 1)), new Label("エラー"), () -> viewer.closed(f));
    }

    private static MenuItem outputItem(Viewer viewer) {
        final MenuItem item = new MenuItem(OutputWindow.TITLE, new MenuShortcut(KeyEvent.VK_O));
        item.addActionListener(e -> viewer.output.show());
        return item;
    }

    private static MenuItem closeItem(Runnable close) {
        final MenuItem item = new MenuItem("閉じる", new MenuShortcut(KeyEvent.VK_W));
        item.addActionListener(e -> close.run());
        return item;
    }

    private static void show(Viewer viewer, Frame f, Menu menu, Component area, Label line, Runnable onClose) {
        viewer.opened(f);
        final MenuBar bar = new MenuBar();
        bar.add(menu);
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

    /** Puts a text on the status line; from any thread. */
    void say(String text) {
        final String line = text == null || text.isEmpty() ? " " : text;
        EventQueue.invokeLater(() -> status.setText(line));
    }

    /** Puts a new applet in the area, hidden until its init has run. */
    void hold(Applet a) {
        area.removeAll();
        a.setVisible(false);
        area.add(a);
        area.validate();
        // Back from a message to the page's size.
        if (!area.getSize().equals(area.getPreferredSize())) frame.pack();
    }

    /** Shows the applet once its init has run. */
    void reveal(Applet a) {
        a.setVisible(true);
        area.validate();
        a.requestFocus();
    }

    /** A failure in place of the applet, at least the page's size. */
    void showFailure(String message, Dimension least) {
        area.removeAll();
        area.add(new MessageArea(message, least));
        area.invalidate();
        frame.pack();
    }

    void empty() {
        area.removeAll();
    }

    /** The size the applet asks for; from any thread. */
    void resize(int width, int height) {
        EventQueue.invokeLater(() -> {
            area.size = new Dimension(width, height);
            area.invalidate();
            frame.pack();
        });
    }

    /** Closes the window; from any thread. */
    void close() {
        EventQueue.invokeLater(() -> viewer.closed(frame));
    }
}
