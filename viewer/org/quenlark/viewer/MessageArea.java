// A message in the applet's area: a failure told in the learner's words,
// wrapped to the area's width.
package org.quenlark.viewer;

import java.awt.Canvas;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics;
import java.util.ArrayList;
import java.util.List;

/** A failure, wrapped to the area's width; the area grows so the whole text shows. */
final class MessageArea extends Canvas {
    private static final long serialVersionUID = 1L;
    private static final int MARGIN = 12;
    private final String text;
    private final Dimension least;

    MessageArea(String text, Dimension least) {
        this.text = text;
        this.least = least;
        setFont(new Font(Font.DIALOG, Font.PLAIN, 13));
        setBackground(new Color(0xFF, 0xF6, 0xE0));
        setForeground(Color.BLACK);
    }

    private List<String> lines(FontMetrics fm, int width) {
        final List<String> out = new ArrayList<>();
        for (String paragraph : text.split("\n", -1)) {
            StringBuilder line = new StringBuilder();
            for (int i = 0; i < paragraph.length(); i++) {
                final char ch = paragraph.charAt(i);
                if (line.length() > 0 && fm.stringWidth(line.toString() + ch) > width) {
                    out.add(line.toString());
                    line = new StringBuilder();
                }
                line.append(ch);
            }
            out.add(line.toString());
        }
        return out;
    }

    @Override
    public Dimension getPreferredSize() {
        final FontMetrics fm = getFontMetrics(getFont());
        final int width = Math.max(least.width, 460);
        final int height = lines(fm, width - 2 * MARGIN).size() * fm.getHeight() + 2 * MARGIN;
        return new Dimension(width, Math.max(least.height, height));
    }

    @Override
    public void paint(Graphics g) {
        final FontMetrics fm = g.getFontMetrics();
        int y = MARGIN + fm.getAscent();
        for (String line : lines(fm, getWidth() - 2 * MARGIN)) {
            g.drawString(line, MARGIN, y);
            y += fm.getHeight();
        }
    }
}
