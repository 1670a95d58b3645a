// The window of the アプレット menu's 「アプレットの出力 (applet.txt)」: what the
// applets wrote after result.txt became another run's, read anew whenever it
// is chosen or comes to the front. One per viewer, on the event thread.
package org.quenlark.viewer;

import java.awt.Font;
import java.awt.Frame;
import java.awt.TextArea;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;

final class OutputWindow {
    static final String TITLE = "アプレットの出力 (" + Output.SPARE_NAME + ")";
    /** The most of applet.txt shown: its end. */
    private static final int MOST_BYTES = 1 << 20;

    private final Output output;
    private Frame frame;
    private TextArea text;

    /** `output` is null when the viewer's output is not result.txt (started by hand). */
    OutputWindow(Output output) {
        this.output = output;
    }

    void show() {
        if (frame == null) {
            frame = new Frame(TITLE);
            text = new TextArea("", 24, 80, TextArea.SCROLLBARS_BOTH);
            text.setEditable(false);
            text.setFont(new Font(Font.MONOSPACED, Font.PLAIN, 13));
            frame.add(text);
            frame.addWindowListener(new WindowAdapter() {
                @Override
                public void windowClosing(WindowEvent e) {
                    frame.setVisible(false);
                }

                @Override
                public void windowActivated(WindowEvent e) {
                    refresh();
                }
            });
            frame.pack();
            frame.setLocationByPlatform(true);
        }
        refresh();
        frame.setVisible(true);
        frame.toFront();
    }

    private void refresh() {
        text.setText(read());
        text.setCaretPosition(text.getText().length());
    }

    private String read() {
        if (output == null) return "アプレットの出力は、ビューアを起動した端末に出ています。";
        final Path spare = output.spare();
        if (!output.hasMoved())
            return "アプレットの出力は「出力結果」(" + Output.RESULT_NAME + ") に出ています。\n"
                + "ほかのボタンで result.txt が使われたあとの出力は、ここ (" + spare + ") に出ます。";
        try (InputStream in = Files.newInputStream(spare)) {
            final long skip = Math.max(0, Files.size(spare) - MOST_BYTES);
            in.skipNBytes(skip);
            final String shown = new String(in.readNBytes(MOST_BYTES), Output.charset("stdout.encoding"));
            return (skip > 0 ? "(始めの " + skip + " バイトは省いています)\n" : "") + shown;
        } catch (NoSuchFileException missing) {
            return spare + " を作れなかったため、アプレットの出力は残っていません。";
        } catch (IOException | RuntimeException e) {
            return spare + " を読めません。\n理由: " + e.getMessage();
        }
    }
}
