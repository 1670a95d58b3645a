// The sound of Applet.newAudioClip, through the Java sound system. The sound
// is read at its first use; where none can be made, the clip stays silent.
package java.applet;

import java.net.URL;
import javax.sound.sampled.AudioInputStream;
import javax.sound.sampled.AudioSystem;
import javax.sound.sampled.Clip;

@SuppressWarnings("removal")
final class SoundClip implements AudioClip {
    private final URL url;
    private Clip line;
    private boolean tried;

    SoundClip(URL url) {
        this.url = url;
    }

    @Override
    public synchronized void play() {
        if (rewound()) line.start();
    }

    @Override
    public synchronized void loop() {
        if (rewound()) line.loop(Clip.LOOP_CONTINUOUSLY);
    }

    @Override
    public synchronized void stop() {
        if (line != null) line.stop();
    }

    /** True when the sound is ready at its beginning. */
    private boolean rewound() {
        if (!tried) {
            tried = true;
            try (AudioInputStream sound = AudioSystem.getAudioInputStream(url)) {
                final Clip c = AudioSystem.getClip();
                c.open(sound);
                line = c;
            } catch (Exception | LinkageError silent) {
                line = null;
            }
        }
        if (line == null) return false;
        line.stop();
        line.setFramePosition(0);
        return true;
    }
}
