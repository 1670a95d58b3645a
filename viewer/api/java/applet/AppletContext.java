// The page an applet lives in: its other applets, its status line, and the
// images, sounds, pages and streams it can reach.
package java.applet;

import java.awt.Image;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.util.Enumeration;
import java.util.Iterator;

/**
 * The surroundings of an applet: the page and the program that shows it.
 *
 * @deprecated The Applet API is kept only so that old applets still run.
 */
@Deprecated(since = "9", forRemoval = true)
@SuppressWarnings("removal")  // the API's own types name each other
public interface AppletContext {
    /** The sound at this address. */
    AudioClip getAudioClip(URL url);

    /** The image at this address; it loads as it is drawn. */
    Image getImage(URL url);

    /** The applet of this name on the same page, or null. */
    Applet getApplet(String name);

    /** The applets of the page. */
    Enumeration<Applet> getApplets();

    /** Shows this page in place of the applet's page. */
    void showDocument(URL url);

    /** Shows this page in the named frame or window ("_self", "_blank", ...). */
    void showDocument(URL url, String target);

    /** Puts this text on the status line. */
    void showStatus(String status);

    /** Keeps a stream under a key for the applets of the page; null removes it. */
    void setStream(String key, InputStream stream) throws IOException;

    /** The stream kept under the key, or null. */
    InputStream getStream(String key);

    /** The keys of the streams kept. */
    Iterator<String> getStreamKeys();
}
