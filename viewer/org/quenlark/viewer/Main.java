// The applet viewer's entry point: checks that this JDK still has the Applet
// API before anything of it is touched, then shows the page's applets.
package org.quenlark.viewer;

public final class Main {
    /** The exit code that tells the script to look for another viewer. */
    static final int NO_APPLET_API = 78;

    private Main() {}

    public static void main(String[] args) {
        try {
            Class.forName("java.applet.Applet", false, ClassLoader.getPlatformClassLoader());
        } catch (ClassNotFoundException | LinkageError gone) {
            System.exit(NO_APPLET_API);
        }
        if (args.length != 1) {
            System.out.println("使い方: java -jar quenlark-viewer.jar ページ.html");
            System.exit(2);
        }
        if (java.awt.GraphicsEnvironment.isHeadless()) {
            System.out.println("画面がない (DISPLAY が設定されていない) ため、アプレットを表示できません。");
            System.exit(1);
        }
        // The page is read while the window system starts up; started on this
        // thread, the window system names the windows' class after this program.
        final Output output = Output.install();
        new Thread(() -> new Viewer(output).run(args[0]), "page").start();
        java.awt.Toolkit.getDefaultToolkit();
        // So are the Japanese glyphs of the menu and the status line.
        new java.awt.Font(java.awt.Font.DIALOG, java.awt.Font.PLAIN, 12)
            .createGlyphVector(new java.awt.font.FontRenderContext(null, false, false), "アプレットを開始しました。");
    }
}
