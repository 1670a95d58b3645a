// What the program that shows an applet gives the applet about itself.
package java.applet;

import java.net.URL;

/**
 * The link between an applet and the program showing it; set with
 * {@link Applet#setStub}.
 *
 * @deprecated The Applet API is kept only so that old applets still run.
 */
@Deprecated(since = "9", forRemoval = true)
@SuppressWarnings("removal")  // the API's own types name each other
public interface AppletStub {
    /** True from just before the applet's start until just before its stop. */
    boolean isActive();

    /** The address of the page that holds the applet. */
    URL getDocumentBase();

    /** The address of the folder the applet's classes come from. */
    URL getCodeBase();

    /** The value of the page's parameter of this name, or null. */
    String getParameter(String name);

    /** The page and the other applets around this one. */
    AppletContext getAppletContext();

    /** Called when the applet asks to change its size. */
    void appletResize(int width, int height);
}
