// A sound of an applet, played through the Java sound system; where no sound
// can be made, the applet runs on silently after one note in the output.
package org.quenlark.viewer;

import java.applet.AudioClip;
import java.net.URL;
import java.util.concurrent.atomic.AtomicBoolean;
import javax.sound.sampled.AudioInputStream;
import javax.sound.sampled.AudioSystem;
import javax.sound.sampled.Clip;

@SuppressWarnings("removal")
final class Sound implements AudioClip {
    private static final AtomicBoolean told = new AtomicBoolean();
    private final URL url;
    private Clip clip;
    private boolean broken;

    Sound(URL url) {
        this.url = url;
    }

    @Override
    public synchronized void play() {
        final Clip c = clip();
        if (c == null) return;
        c.stop();
        c.setFramePosition(0);
        c.start();
    }

    @Override
    public synchronized void loop() {
        final Clip c = clip();
        if (c != null) c.loop(Clip.LOOP_CONTINUOUSLY);
    }

    @Override
    public synchronized void stop() {
        if (clip != null) clip.stop();
    }

    private Clip clip() {
        if (clip != null || broken || url == null) return clip;
        try (AudioInputStream in = AudioSystem.getAudioInputStream(url)) {
            final Clip c = AudioSystem.getClip();
            c.open(in);
            clip = c;
        } catch (Exception | LinkageError e) {
            broken = true;
            if (told.compareAndSet(false, true))
                System.out.println("音を鳴らせません (" + url + "): " + e + "\nアプレットは音なしで続けます。");
        }
        return clip;
    }
}
