// The applet's area: holds the applet (or a message in its place) at the size
// the page asks for, grown where a message needs more.
package org.quenlark.viewer;

import java.awt.Component;
import java.awt.Dimension;
import java.awt.Panel;

/** Holds the applet (or a message) at the size the page asks for. */
final class AppletArea extends Panel {
    private static final long serialVersionUID = 1L;
    Dimension size;

    AppletArea(Dimension size) {
        super(null);
        this.size = size;
    }

    @Override
    public Dimension getPreferredSize() {
        final Dimension own = new Dimension(size);
        for (Component c : getComponents())
            if (c instanceof MessageArea) {
                final Dimension need = c.getPreferredSize();
                own.width = Math.max(own.width, need.width);
                own.height = Math.max(own.height, need.height);
            }
        return own;
    }

    @Override
    public void doLayout() {
        for (Component c : getComponents()) c.setBounds(0, 0, getWidth(), getHeight());
    }
}
