"""ｱﾌﾟﾚｯﾄ実行 with the real JDK and the shipped viewer, as a learner uses it:
the applet's area at the page's size in the applet's colour, its output in
result.txt and no result window, the keyboard focus, 再読み込み after a
recompile, a page shown in the browser that outlives the viewer, an animation
and a Swing applet on one page, a class not compiled yet, an applet's output
kept out of a later compile's, and no viewer left behind by a second press or
by closing Quenlark. Then once more on our own
Applet API, as on a JDK without one: compiled by ｺﾝﾊﾟｲﾙ実行 with the same
warnings as against the JDK's, the textbook applet, its parameter, status line
and reload, and the Swing applet."""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "applets")
os.makedirs(FOLDER, exist_ok=True)


def source(name, text):
    with open(os.path.join(FOLDER, name), "w", encoding="utf-8") as f:
        f.write(text)


def jdk_has_applet_api():
    """As the scripts tell it: the JAVA_VERSION of the release file of the
    JDK whose javac is on PATH; 26 and later have no Applet API."""
    javac = os.path.realpath(shutil.which("javac"))
    try:
        with open(os.path.join(os.path.dirname(os.path.dirname(javac)), "release"), encoding="utf-8") as f:
            version = re.search(r'^JAVA_VERSION="(\d+)', f.read(), re.M)
    except OSError:
        return True
    return not version or int(version.group(1)) < 26


# The JDK's own API where it has one, else ours patched in, as compile.bat does.
HAS_API = jdk_has_applet_api()
API_OPTIONS = [] if HAS_API else [
    "--patch-module", "java.desktop=" + os.path.join(os.path.dirname(e.PROGRAM), "quenlark-applet-api.jar"),
    "--add-exports", "java.desktop/java.applet=ALL-UNNAMED"]


def compile_java(*names):
    subprocess.run(["javac", *API_OPTIONS, "-nowarn", "-encoding", "UTF-8", *names], cwd=FOLDER, check=True,
                   stderr=subprocess.DEVNULL)


HELLO = """import java.applet.Applet;
import java.awt.*;
import java.awt.event.*;
public class Hello extends Applet {
    boolean painted;
    public void init() {
        System.out.println("init " + getParameter("MESSAGE"));
        addKeyListener(new KeyAdapter() {
            public void keyPressed(KeyEvent e) { System.out.println("key " + e.getKeyChar()); }
        });
    }
    public void start() {
        System.out.println("start");
        showStatus("動いています " + isActive());
        EventQueue.invokeLater(() -> {  // after the status line has changed
            Container window = getParent();
            while (!(window instanceof Frame)) window = window.getParent();
            for (Component c : window.getComponents())
                if (c instanceof Label) System.out.println("status line: " + ((Label) c).getText());
        });
    }
    public void paint(Graphics g) {
        g.setColor(new Color(%s));
        g.fillRect(0, 0, getWidth(), getHeight());
        g.setColor(Color.WHITE);
        g.drawString(getParameter("message"), 10, 30);
        if (!painted) System.out.println("paint");
        painted = true;
    }
    public void stop() { System.out.println("stop"); }
    public void destroy() { System.out.println("destroy"); }
}
"""
BLUE, RED = (0x20, 0x60, 0xC0), (0xC0, 0x30, 0x20)
source("Hello.java", HELLO % "0x2060C0")
source("Hello.html", '<html><body>\n<APPLET code="Hello.class" width=240 height=160>\n'
                     '<param name="Message" value="こんにちは &amp; さようなら"></APPLET>\n</body></html>\n')
source("Anim.java", """import java.applet.Applet;
import java.awt.*;
public class Anim extends Applet implements Runnable {
    Thread thread; Image buffer; int frame;
    public void init() { buffer = createImage(getWidth(), getHeight()); }
    public void start() { thread = new Thread(this); thread.start(); }
    public void stop() { thread = null; }
    public void run() {
        while (thread == Thread.currentThread()) {
            repaint();
            try { Thread.sleep(40); } catch (InterruptedException e) { return; }
        }
    }
    public void update(Graphics g) { paint(g); }
    public void paint(Graphics g) {
        Graphics b = buffer.getGraphics();
        b.setColor(new Color(0x30A050));
        b.fillRect(0, 0, getWidth(), getHeight());
        b.setColor(Color.BLACK);
        b.drawString("frame " + frame, 10, 20);
        g.drawImage(buffer, 0, 0, this);
        if (++frame == 5) System.out.println("frame 5 of " + getAppletContext().getApplet("swing").getClass().getName());
    }
}
""")
source("Swing.java", """import javax.swing.*;
import java.awt.*;
public class Swing extends JApplet {
    public void init() {
        setContentPane(new JPanel() {
            protected void paintComponent(Graphics g) {
                g.setColor(new Color(0xE0B010));
                g.fillRect(0, 0, getWidth(), getHeight());
            }
        });
        add(new JLabel("OK"));
        System.out.println("swing content " + getContentPane().getComponentCount() + " " + (getRootPane().getParent() == this));
    }
}
""")
source("Two.html", "<applet code=Anim width=200 height=120></applet>\n"
                   "<applet code=Swing.class width=180 height=100 name=swing></applet>\n")
source("Doc.java", """import java.applet.Applet;
import java.net.URL;
public class Doc extends Applet {
    public void start() {
        try { getAppletContext().showDocument(new URL(getDocumentBase(), "次のページ.html")); }
        catch (Exception e) { e.printStackTrace(); }
    }
}
""")
source("Doc.html", "<applet code=Doc width=100 height=50></applet>\n")
# The desktop's browser: one that notes the page and stays open.
BIN = os.path.join(e.HOME, "fake-bin")
os.makedirs(BIN, exist_ok=True)
BROWSER_PID = os.path.join(FOLDER, "browser.pid")
with open(os.path.join(BIN, "xdg-open"), "w") as f:
    f.write(f'#!/bin/sh\necho "$$ $1" > "{BROWSER_PID}"\nexec sleep 120\n')
os.chmod(os.path.join(BIN, "xdg-open"), 0o755)
os.environ["PATH"] = BIN + os.pathsep + os.environ["PATH"]
source("Missing.html", "<applet code=Nope width=100 height=100></applet>\n")
compile_java("Hello.java", "Anim.java", "Swing.java", "Doc.java")


def pixels():
    """The screen as (width, height, RGB bytes)."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # P6, width, height, maximum
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def area_of(colour):
    """Width and height of the box that holds every pixel of exactly this colour."""
    width, height, rgb = pixels()
    target = bytes(colour)
    xs, ys = [], []
    start = rgb.find(target)
    while start >= 0:
        if start % 3 == 0:
            xs.append(start // 3 % width)
            ys.append(start // 3 // width)
        start = rgb.find(target, start + 1)
    return (max(xs) - min(xs) + 1, max(ys) - min(ys) + 1) if xs else None


def result_file():
    try:
        with open(e.RESULT_FILE, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def viewers(patched=None):
    """Process ids of the running applet viewers that this test's Quenlark
    started (they have its private HOME, wherever they were reparented);
    with `patched`, only those with (True) or without our Applet API."""
    mark = b"\0HOME=" + os.fsencode(e.HOME) + b"\0"
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environ = b"\0" + f.read()
        except OSError:
            continue
        if b"quenlark-viewer.jar" in cmdline and mark in environ and \
                patched in (None, b"--patch-module" in cmdline):
            found.append(pid)
    return found


qlk = e.Session({"JavaFileFolder0": FOLDER})

# The textbook applet: its area at the page's size, its colour, its parameter.
qlk.set_name("Hello")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
e.wait_window("Hello - アプレット", 30)
e.wait_for(lambda: "paint" in result_file(), 30, what="first paint")
e.check(result_file().startswith("init こんにちは & さようなら\nstart\n"),
        "init and start in order, a parameter by any case with its entity decoded")
e.check(e.wait_for(lambda: area_of(BLUE), 10, what="blue area") == (240, 160), "the applet's area is 240x160")
e.check(qlk.result_frame() is None, "the applet run opens no result window")
e.key("q", window="Hello - アプレット")
e.check(e.wait_for(lambda: "key q" in result_file(), 10, what="key"), "the applet has the keyboard focus")
e.check("status line: 動いています true" in result_file(), "showStatus reaches the status line; the applet is active")
first_viewer = viewers()
e.check(len(first_viewer) == 1 and viewers(patched=not HAS_API) == first_viewer,
        "one viewer runs, on the JDK's Applet API" if HAS_API else "one viewer runs, on our Applet API (this JDK has none)")

# A recompile and 再読み込み: the new class, after stop and destroy of the old one.
source("Hello.java", HELLO % "0xC03020")
compile_java("Hello.java")
e.key("ctrl+r", window="Hello - アプレット")
e.check(e.wait_for(lambda: area_of(RED), 20, what="red area") == (240, 160), "再読み込み shows the recompiled colour")
e.check("stop\ndestroy\ninit " in result_file(), "stop and destroy before the new init")
e.check(viewers() == first_viewer, "再読み込み stays in the same viewer")

# showDocument: the desktop's browser shows the page and outlives the viewer.
qlk.set_name("Doc")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
opened = e.wait_for(lambda: os.path.exists(BROWSER_PID) and open(BROWSER_PID, encoding="utf-8").read().split(), 30,
                    what="browser started")
e.check(opened[1].startswith("file:") and opened[1].endswith("/applets/次のページ.html"),
        "showDocument gives the browser the page beside the applet's page")
browser = int(opened[0])

# A second press with another page replaces the viewer; two applets on one page.
qlk.set_name("Two")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
e.wait_window("Swing - アプレット", 30)
e.wait_window("Anim - アプレット", 30)
e.check("Hello - アプレット" not in e.windows(), "the earlier viewer's window is gone")
e.check(e.wait_for(lambda: area_of((0xE0, 0xB0, 0x10)), 10, what="swing area") == (180, 100), "a JApplet paints")
e.check("swing content 1 true" in result_file(), "a JApplet adds to its content pane, its root pane is its child")
e.check(e.wait_for(lambda: "frame 5 of Swing" in result_file(), 20, what="frames"),
        "an animation thread repaints through a buffer; getApplet finds the other applet")
e.check(e.wait_for(lambda: area_of((0x30, 0xA0, 0x50)), 10, what="anim area") == (200, 120), "the animation paints")
e.check(len(viewers()) == 1 and viewers() != first_viewer, "the earlier viewer process has ended")
e.check(os.path.exists(f"/proc/{browser}") and "Doc - アプレット" not in e.windows(),
        "the browser a viewer opened outlives it")
os.kill(browser, 9)

# A class that was never compiled: the message in the window and in result.txt.
qlk.set_name("Missing")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
e.wait_window("Nope - アプレット", 30)
e.wait_for(lambda: "クラス Nope が見つかりません" in result_file(), 20, what="missing class message")
e.check("「ｺﾝﾊﾟｲﾙ実行」を押して Nope.java をコンパイル" in result_file(), "the message says to compile")
e.check("Exception" not in result_file(), "no stack trace of the viewer")

# An applet that prints on after another run has emptied result.txt: what it
# writes then goes to applet.txt, which its menu shows, not into that run's output.
APPLET_TXT = os.path.join(os.path.dirname(e.RESULT_FILE), "applet.txt")
source("Ticker.java", """import java.applet.Applet;
public class Ticker extends Applet implements Runnable {
    Thread thread; int n;
    public void start() { thread = new Thread(this); thread.start(); }
    public void stop() { thread = null; }
    public void run() {
        while (thread == Thread.currentThread()) {
            System.out.println("tick " + n++);
            try { Thread.sleep(100); } catch (InterruptedException e) { return; }
        }
    }
}
""")
source("Ticker.html", "<applet code=Ticker width=120 height=40></applet>\n")
compile_java("Ticker.java")
qlk.set_name("Ticker")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
e.wait_window("Ticker - アプレット", 30)
e.check(e.wait_for(lambda: "tick 3" in result_file(), 20, what="ticks"), "the applet's output is in result.txt")
qlk.set_name("Hello")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
qlk.wait_result("コンパイルが終わりました: Hello.java")


def applet_txt():
    try:
        with open(APPLET_TXT, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return ""


e.check(e.wait_for(lambda: applet_txt().count("tick") >= 3, 10, what="ticks in applet.txt"),
        "after another run emptied result.txt the applet writes to applet.txt")
e.check("tick" not in result_file() and "コンパイルが終わりました: Hello.java" in result_file(),
        "the compile's output holds nothing of the applet")
e.key("ctrl+o", window="Ticker - アプレット")
e.check(e.wait_window("アプレットの出力 (applet.txt)", 10), "the applet's menu shows applet.txt")

# Closing Quenlark ends the viewer.
e.close_window("Quenlark")
e.check(e.wait_exit(qlk.proc) == 0, "program ends normally")
e.check(e.wait_for(lambda: not viewers(), 10, what="viewer gone") is True, "no viewer outlives Quenlark")


def warnings(text):
    return [line for line in text.splitlines() if ": warning: " in line or "警告:" in line]


# Our own Applet API, as the scripts use it on a JDK without one (26 and
# later), told here to use it on this JDK.
source("Hello.java", HELLO % "0x2060C0")
jdk_says = subprocess.run(["javac", *API_OPTIONS, "-encoding", "UTF-8", "Hello.java", "Swing.java"], cwd=FOLDER,
                          capture_output=True, text=True).stderr
os.environ["QUENLARK_APPLET_API"] = "ours"
qlk = e.Session({"JavaFileFolder0": FOLDER})
for name in ("Hello", "Swing"):
    qlk.set_name(name)
    qlk.press("ｺﾝﾊﾟｲﾙ実行")
    qlk.wait_result(f"コンパイルが終わりました: {name}.java")
    e.check(warnings(result_file()) and set(warnings(result_file())) <= set(warnings(jdk_says)),
            f"{name}.java compiles against our API with the JDK's deprecation warnings")
qlk.set_name("Hello")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
e.wait_window("Hello - アプレット", 30)
e.wait_for(lambda: "status line:" in result_file(), 30, what="status line")
e.check(result_file().startswith("init こんにちは & さようなら\nstart\n"), "ours: init, start, the parameter")
e.check("status line: 動いています true" in result_file(), "ours: showStatus and isActive")
e.check(e.wait_for(lambda: area_of(BLUE), 10, what="blue area") == (240, 160), "ours: the applet's area")
ours = viewers(patched=True)
e.check(len(ours) == 1 and viewers() == ours, "the viewer runs on our Applet API")
source("Hello.java", HELLO % "0xC03020")
compile_java("Hello.java")
e.key("ctrl+r", window="Hello - アプレット")
e.check(e.wait_for(lambda: area_of(RED), 20, what="red area") == (240, 160), "ours: 再読み込み")
e.check("stop\ndestroy\ninit " in result_file(), "ours: stop and destroy before the new init")
qlk.set_name("Two")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
e.wait_window("Swing - アプレット", 30)
e.check(e.wait_for(lambda: area_of((0xE0, 0xB0, 0x10)), 10, what="swing area") == (180, 100), "ours: a JApplet paints")
e.check(e.wait_for(lambda: "swing content 1 true" in result_file(), 10, what="swing"),
        "ours: a JApplet adds to its content pane, its root pane is its child")
e.close_window("Quenlark")
e.check(e.wait_exit(qlk.proc) == 0, "program ends normally")
e.check(e.wait_for(lambda: not viewers(), 10, what="viewer gone") is True, "no viewer on our API outlives Quenlark")
e.finish()
