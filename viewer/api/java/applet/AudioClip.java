// A sound an applet can play once, play over and over, and stop.
package java.applet;

/**
 * A sound that an applet plays.
 *
 * @deprecated The Applet API is kept only so that old applets still run.
 */
@Deprecated(since = "9", forRemoval = true)
public interface AudioClip {
    /** Plays the sound from its beginning, once. */
    void play();

    /** Plays the sound over and over until {@link #stop()}. */
    void loop();

    /** Stops the sound. */
    void stop();
}
