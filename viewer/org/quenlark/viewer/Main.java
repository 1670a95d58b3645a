// The applet viewer's entry point: checks that this JDK still has the Applet
// API before anything of it is touched, then shows the page's applets.
package org.quenlark.viewer;

public final class Main {
    /** The exit code that tells the script to look for another viewer. */
    static final int kNoAppletApi = 78;

    private Main() {}

    public static void main(String[] args) {
        try {
            Class.forName("java.applet.Applet", false, ClassLoader.getPlatformClassLoader());
        } catch (ClassNotFoundException | LinkageError gone) {
            System.exit(kNoAppletApi);
        }
        if (args.length != 1) {
            System.out.println("使い方: java -jar quenlark-viewer.jar ページ.html");
            System.exit(2);
        }
        Viewer.run(args[0]);
    }
}
