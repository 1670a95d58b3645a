// The world an applet asks for: images, sounds, the other applets of the
// viewer, pages shown in the desktop's browser, its status line, and the
// streams applets hand each other.
package org.quenlark.viewer;

import java.applet.Applet;
import java.applet.AppletContext;
import java.applet.AudioClip;
import java.awt.Image;
import java.awt.Toolkit;
import java.io.InputStream;
import java.net.URL;
import java.util.ArrayList;
import java.util.Collections;
import java.util.Enumeration;
import java.util.Iterator;
import java.util.List;

@SuppressWarnings("removal")
final class Context implements AppletContext {
    private final Viewer viewer;
    private final AppletLife life;

    Context(Viewer viewer, AppletLife life) {
        this.viewer = viewer;
        this.life = life;
    }

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
        for (AppletLife a : viewer.applets()) {
            final Applet applet = a.applet();
            if (a.tag.name.equalsIgnoreCase(name) && applet != null) return applet;
        }
        return null;
    }

    @Override
    public Enumeration<Applet> getApplets() {
        final List<Applet> all = new ArrayList<>();
        for (AppletLife a : viewer.applets()) {
            final Applet applet = a.applet();
            if (applet != null) all.add(applet);
        }
        return Collections.enumeration(all);
    }

    @Override
    public void showDocument(URL url) {
        showDocument(url, "_self");
    }

    /** Opens the page in the desktop's browser, which outlives the viewer. */
    @Override
    public void showDocument(URL url, String target) {
        if (url != null) viewer.browser.open(url);
    }

    @Override
    public void showStatus(String text) {
        life.spoke(text);
    }

    @Override
    public void setStream(String key, InputStream stream) {
        if (key == null) return;
        if (stream == null)
            viewer.streams.remove(key);
        else
            viewer.streams.put(key, stream);
    }

    @Override
    public InputStream getStream(String key) {
        return key == null ? null : viewer.streams.get(key);
    }

    @Override
    public Iterator<String> getStreamKeys() {
        return new ArrayList<>(viewer.streams.keySet()).iterator();
    }
}
