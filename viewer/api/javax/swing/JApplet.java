// The Swing applet: an applet whose only child is a root pane, so that it
// holds a content pane, a menu bar, a layered pane and a glass pane as a
// Swing window does; adding to it and setting its layout go to the content
// pane.
package javax.swing;

import java.applet.Applet;
import java.awt.AWTEvent;
import java.awt.BorderLayout;
import java.awt.Component;
import java.awt.Container;
import java.awt.Graphics;
import java.awt.HeadlessException;
import java.awt.LayoutManager;
import javax.accessibility.Accessible;
import javax.accessibility.AccessibleContext;

/**
 * An applet with a {@link JRootPane}. Components belong in its content pane;
 * {@code add}, {@code remove} and {@code setLayout} are passed on to the
 * content pane while root pane checking is on, as it is from construction.
 *
 * @deprecated The Applet API is kept only so that old applets still run.
 */
@Deprecated(since = "9", forRemoval = true)
// No fixed serial form, as Swing's classes have none; the constructor sets up
// the applet through its own overridable methods, as the API prescribes.
@SuppressWarnings({"removal", "serial", "this-escape"})
public class JApplet extends Applet implements Accessible, RootPaneContainer {
    /** The one child of the applet. */
    protected JRootPane rootPane;
    /** While true, add and setLayout go to the content pane. */
    protected boolean rootPaneCheckingEnabled = false;
    /** The applet's accessible context, made when first asked for. */
    protected AccessibleContext accessibleContext = null;

    private TransferHandler transferHandler;

    /**
     * A new Swing applet with the default locale of Swing components and a
     * fresh root pane.
     *
     * @throws HeadlessException where there is no screen
     */
    public JApplet() throws HeadlessException {
        setLocale(JComponent.getDefaultLocale());
        setLayout(new BorderLayout());
        setRootPane(createRootPane());
        setRootPaneCheckingEnabled(true);
        setFocusTraversalPolicyProvider(true);
        setFocusTraversalPolicy(new LayoutFocusTraversalPolicy());
        enableEvents(AWTEvent.KEY_EVENT_MASK);
    }

    /** Makes the root pane the constructor installs: an opaque {@link JRootPane}. */
    protected JRootPane createRootPane() {
        final JRootPane root = new JRootPane();
        // It covers the whole applet, so it paints the whole area.
        root.setOpaque(true);
        return root;
    }

    /** Sets the handler of data transferred into the applet (a bound property). */
    public void setTransferHandler(TransferHandler newHandler) {
        final TransferHandler old = transferHandler;
        transferHandler = newHandler;
        firePropertyChange("transferHandler", old, newHandler);
    }

    /** The handler set by {@link #setTransferHandler}, or null. */
    public TransferHandler getTransferHandler() {
        return transferHandler;
    }

    /** Paints without clearing first: the root pane covers the area. */
    @Override
    public void update(Graphics g) {
        paint(g);
    }

    /** Sets the menu bar, shown above the content pane. */
    public void setJMenuBar(JMenuBar menuBar) {
        getRootPane().setJMenuBar(menuBar);
    }

    /** The menu bar, or null. */
    public JMenuBar getJMenuBar() {
        return getRootPane().getJMenuBar();
    }

    /** Whether add and setLayout go to the content pane. */
    protected boolean isRootPaneCheckingEnabled() {
        return rootPaneCheckingEnabled;
    }

    /** Turns passing add and setLayout on to the content pane on or off. */
    protected void setRootPaneCheckingEnabled(boolean enabled) {
        rootPaneCheckingEnabled = enabled;
    }

    /** Adds to the content pane while root pane checking is on, else to the applet itself. */
    @Override
    protected void addImpl(Component comp, Object constraints, int index) {
        if (isRootPaneCheckingEnabled())
            getContentPane().add(comp, constraints, index);
        else
            super.addImpl(comp, constraints, index);
    }

    /** Removes the root pane from the applet, any other component from the content pane. */
    @Override
    public void remove(Component comp) {
        if (comp == rootPane)
            super.remove(comp);
        else
            getContentPane().remove(comp);
    }

    /** Sets the content pane's layout while root pane checking is on, else the applet's own. */
    @Override
    public void setLayout(LayoutManager manager) {
        if (isRootPaneCheckingEnabled())
            getContentPane().setLayout(manager);
        else
            super.setLayout(manager);
    }

    /** The root pane, the applet's one child. */
    @Override
    public JRootPane getRootPane() {
        return rootPane;
    }

    /** Replaces the root pane; the new one fills the applet. */
    protected void setRootPane(JRootPane root) {
        if (rootPane != null) remove(rootPane);
        rootPane = root;
        if (root == null) return;
        final boolean checking = isRootPaneCheckingEnabled();
        try {
            setRootPaneCheckingEnabled(false);
            add(root, BorderLayout.CENTER);
        } finally {
            setRootPaneCheckingEnabled(checking);
        }
    }

    /** The content pane, where the applet's components go. */
    @Override
    public Container getContentPane() {
        return getRootPane().getContentPane();
    }

    /** Replaces the content pane; null is refused by the root pane. */
    @Override
    public void setContentPane(Container contentPane) {
        getRootPane().setContentPane(contentPane);
    }

    /** The layered pane that holds the content pane and the menu bar. */
    @Override
    public JLayeredPane getLayeredPane() {
        return getRootPane().getLayeredPane();
    }

    /** Replaces the layered pane; null is refused by the root pane. */
    @Override
    public void setLayeredPane(JLayeredPane layeredPane) {
        getRootPane().setLayeredPane(layeredPane);
    }

    /** The glass pane over everything else. */
    @Override
    public Component getGlassPane() {
        return getRootPane().getGlassPane();
    }

    /** Replaces the glass pane; null is refused by the root pane. */
    @Override
    public void setGlassPane(Component glassPane) {
        getRootPane().setGlassPane(glassPane);
    }

    /** A graphics context for the applet, or null while it is not displayable. */
    @Override
    public Graphics getGraphics() {
        return super.getGraphics();
    }

    /** Repaints the rectangle within {@code time} milliseconds. */
    @Override
    public void repaint(long time, int x, int y, int width, int height) {
        super.repaint(time, x, y, width, height);
    }

    /** For debugging: the panel's state, the root pane and the checking flag. */
    @Override
    protected String paramString() {
        return super.paramString() + ",rootPane=" + (rootPane == null ? "" : rootPane.toString())
            + ",rootPaneCheckingEnabled=" + rootPaneCheckingEnabled;
    }

    /** The applet's accessible context: an {@link AccessibleJApplet}. */
    @Override
    public AccessibleContext getAccessibleContext() {
        if (accessibleContext == null) accessibleContext = new AccessibleJApplet();
        return accessibleContext;
    }

    /** The Swing applet as assistive technologies see it. */
    protected class AccessibleJApplet extends AccessibleApplet {
        /** For the applet's own context. */
        protected AccessibleJApplet() {}
    }
}
