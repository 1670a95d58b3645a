// The applet: a panel that a page shows, with its life (init, start, stop,
// destroy) and what it asks of the program showing it through its stub.
package java.applet;

import java.awt.Dimension;
import java.awt.GraphicsEnvironment;
import java.awt.HeadlessException;
import java.awt.IllegalComponentStateException;
import java.awt.Image;
import java.awt.Panel;
import java.io.IOException;
import java.io.ObjectInputStream;
import java.net.MalformedURLException;
import java.net.URL;
import java.util.Locale;
import javax.accessibility.AccessibleContext;
import javax.accessibility.AccessibleRole;
import javax.accessibility.AccessibleState;
import javax.accessibility.AccessibleStateSet;

/**
 * A small program shown inside a page. The program that shows it sets its
 * stub, then calls {@link #init}, {@link #start}, and later {@link #stop} and
 * {@link #destroy}; the other methods ask the stub and its context.
 *
 * @deprecated The Applet API is kept only so that old applets still run.
 */
@Deprecated(since = "9", forRemoval = true)
@SuppressWarnings("removal")  // the API's own types name each other
public class Applet extends Panel {
    private static final long serialVersionUID = -5836846270535785031L;

    private transient AppletStub stub;
    private transient AccessibleContext accessible;

    /**
     * A new applet; its stub is set afterwards, so the constructor should not
     * ask for parameters or addresses.
     *
     * @throws HeadlessException where there is no screen
     */
    public Applet() throws HeadlessException {
        if (GraphicsEnvironment.isHeadless()) throw new HeadlessException();
    }

    private void readObject(ObjectInputStream in) throws ClassNotFoundException, IOException, HeadlessException {
        if (GraphicsEnvironment.isHeadless()) throw new HeadlessException();
        in.defaultReadObject();
    }

    /** Sets the stub; the program that shows the applet does this before init. */
    public final void setStub(AppletStub stub) {
        this.stub = stub;
    }

    /** True from just before start until just before stop; false without a stub. */
    public boolean isActive() {
        return stub != null && stub.isActive();
    }

    /** The address of the page that holds the applet. */
    public URL getDocumentBase() {
        return stub.getDocumentBase();
    }

    /** The address of the folder the applet's classes come from. */
    public URL getCodeBase() {
        return stub.getCodeBase();
    }

    /** The value of the page's parameter of this name, or null. */
    public String getParameter(String name) {
        return stub.getParameter(name);
    }

    /** The page and the other applets around this one. */
    public AppletContext getAppletContext() {
        return stub.getAppletContext();
    }

    /** Asks for a new size: the panel takes it and the stub is told. */
    @Override
    @SuppressWarnings("deprecation")
    public void resize(int width, int height) {
        final Dimension now = getSize();
        if (now.width == width && now.height == height) return;
        // Component's setSize comes back here, so the size is set through
        // the method this one overrides.
        super.resize(width, height);
        if (stub != null) stub.appletResize(width, height);
    }

    /** The same as {@code resize(size.width, size.height)}. */
    @Override
    @SuppressWarnings("deprecation")
    public void resize(Dimension size) {
        resize(size.width, size.height);
    }

    /** An applet is a validate root: laying out its inside stops here. */
    @Override
    public boolean isValidateRoot() {
        return true;
    }

    /** Puts the text on the status line of the program showing the applet. */
    public void showStatus(String msg) {
        getAppletContext().showStatus(msg);
    }

    /** The image at this address. */
    public Image getImage(URL url) {
        return getAppletContext().getImage(url);
    }

    /** The image at {@code name} relative to {@code url}; null when the two make no address. */
    public Image getImage(URL url, String name) {
        final URL at = resolve(url, name);
        return at == null ? null : getImage(at);
    }

    /** A sound at this address, for use also outside any applet. */
    public static final AudioClip newAudioClip(URL url) {
        return new SoundClip(url);
    }

    /** The sound at this address. */
    public AudioClip getAudioClip(URL url) {
        return getAppletContext().getAudioClip(url);
    }

    /** The sound at {@code name} relative to {@code url}; null when the two make no address. */
    public AudioClip getAudioClip(URL url, String name) {
        final URL at = resolve(url, name);
        return at == null ? null : getAudioClip(at);
    }

    /** Author, version and copyright; an applet overrides this. Null here. */
    public String getAppletInfo() {
        return null;
    }

    /** The locale set on the applet, else its container's, else the default one. */
    @Override
    public Locale getLocale() {
        try {
            return super.getLocale();
        } catch (IllegalComponentStateException none) {
            return Locale.getDefault();
        }
    }

    /**
     * The parameters the applet understands, each as name, type and
     * description; an applet overrides this. Null here.
     */
    public String[][] getParameterInfo() {
        return null;
    }

    /** Plays the sound at this address once, if there is one. */
    public void play(URL url) {
        final AudioClip clip = getAudioClip(url);
        if (clip != null) clip.play();
    }

    /** Plays the sound at {@code name} relative to {@code url} once, if there is one. */
    public void play(URL url, String name) {
        final AudioClip clip = getAudioClip(url, name);
        if (clip != null) clip.play();
    }

    /** Called once after the applet is loaded. Does nothing here. */
    public void init() {}

    /** Called after init and each time the applet is shown again. Does nothing here. */
    public void start() {}

    /** Called when the applet is no longer shown, and before destroy. Does nothing here. */
    public void stop() {}

    /** Called once when the applet goes, to free what it holds. Does nothing here. */
    public void destroy() {}

    /** The applet's accessible context: an {@link AccessibleApplet}. */
    @Override
    public AccessibleContext getAccessibleContext() {
        if (accessible == null) accessible = new AccessibleApplet();
        return accessible;
    }

    private static URL resolve(URL url, String name) {
        try {
            return new URL(url, name);
        } catch (MalformedURLException none) {
            return null;
        }
    }

    /** The applet as assistive technologies see it: a frame, active. */
    protected class AccessibleApplet extends AccessibleAWTPanel {
        private static final long serialVersionUID = 8127374778187708896L;

        /** For the applet's own context. */
        protected AccessibleApplet() {}

        /** The applet is a frame of the page. */
        @Override
        public AccessibleRole getAccessibleRole() {
            return AccessibleRole.FRAME;
        }

        /** The panel's states, and active. */
        @Override
        public AccessibleStateSet getAccessibleStateSet() {
            final AccessibleStateSet states = super.getAccessibleStateSet();
            states.add(AccessibleState.ACTIVE);
            return states;
        }
    }
}
