"""ｱﾌﾟﾚｯﾄ実行 until the applet's first paint, against `java` opening an empty
300x200 Frame, alternating runs under one private X server; on the JDK's own
Applet API and on ours (the scripts told to use it, as on a JDK without one),
in alternating sessions of Quenlark. The Frame runs beside our API run with
the same --patch-module, so their ratio is what patching java.desktop costs
any program (the JDK turns class data sharing off for a patched module).
Times are read from the wall clock on both sides of the process boundary
(same machine). The button is clicked with the mouse as a user does
(xdotool): a press through the accessibility bridge would add the 100 ms its
animated click holds the button down.

    tests/e2e/run-in-xvfb.sh /usr/bin/python3 bench/applet.py build/bin/quenlark [runs]
"""
import os
import statistics
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import qlk_e2e as e



def not_measured(why):
    """What the benchmark needs is not there: no figure, status 1."""
    print("not measured: " + why, flush=True)
    sys.exit(1)


runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
if runs < 1:
    not_measured("at least one run is needed")
folder = os.path.join(e.HOME, "bench")
os.makedirs(folder, exist_ok=True)
sources = {
    "Painted.java": """import java.applet.Applet;
import java.awt.*;
public class Painted extends Applet {
    boolean told;
    public void paint(Graphics g) {
        g.setColor(Color.BLUE);
        g.fillRect(0, 0, getWidth(), getHeight());
        if (!told) System.out.println("painted " + System.currentTimeMillis());
        told = true;
    }
}
""",
    "EmptyFrame.java": """import java.awt.*;
public class EmptyFrame extends Frame {
    boolean told;
    public void paint(Graphics g) {
        if (!told) System.out.println("painted " + System.currentTimeMillis());
        told = true;
    }
    public static void main(String[] a) {
        EmptyFrame f = new EmptyFrame();
        f.setSize(300, 200);
        f.setVisible(true);
    }
}
""",
    "Painted.html": "<applet code=Painted width=300 height=200></applet>\n",
}
for name, text in sources.items():
    with open(os.path.join(folder, name), "w") as f:
        f.write(text)
subprocess.run(["javac", "-nowarn", "Painted.java", "EmptyFrame.java"], cwd=folder, check=True,
               stderr=subprocess.DEVNULL)


def painted_at(text):
    for line in text.splitlines():
        if line.startswith("painted "):
            return int(line.split()[1]) / 1000.0
    return None


def read_result():
    try:
        with open(e.RESULT_FILE) as f:
            return f.read()
    except OSError:
        return ""


API = os.path.join(os.path.dirname(e.PROGRAM), "quenlark-applet-api.jar")
PATCH = ["--patch-module", "java.desktop=" + API, "--add-exports", "java.desktop/java.applet=ALL-UNNAMED"]


def session(api):
    """Quenlark with the mouse over its ｱﾌﾟﾚｯﾄ実行 button; its scripts use `api`."""
    if api == "ours":
        os.environ["QUENLARK_APPLET_API"] = "ours"
    else:
        os.environ.pop("QUENLARK_APPLET_API", None)
    qlk = e.Session({"JavaFileFolder0": folder})
    qlk.set_name("Painted")
    button = e.find(qlk.main, name="ｱﾌﾟﾚｯﾄ実行", role=pyatspi.ROLE_PUSH_BUTTON)
    box = button.queryComponent().getExtents(e.pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2)], check=True)
    return qlk


def applet_once():
    with open(e.RESULT_FILE, "w"):
        pass
    start = time.time()
    subprocess.run(["xdotool", "click", "1"], check=True)
    try:
        painted = e.wait_for(lambda: painted_at(read_result()), 30, 0.005, "first paint")
    except TimeoutError:
        not_measured("the applet did not paint within 30 s; result.txt:\n" + read_result())
    return (painted - start) * 1000


def frame_once(options=()):
    start = time.time()
    proc = subprocess.Popen(["java", *options, "-cp", folder, "EmptyFrame"], stdout=subprocess.PIPE, text=True)
    painted = painted_at(proc.stdout.readline())
    proc.kill()
    proc.wait()
    if painted is None:
        not_measured("java did not paint the empty Frame" + (" with " + " ".join(options) if options else ""))
    return (painted - start) * 1000


times = {"applet": [], "frame": [], "applet ours": [], "frame patched": []}
# Sessions alternate, so a slow spell of the machine falls on both sides; the
# runs of each side are split between its two sessions.
for session_number, api in enumerate(("jdk", "ours", "jdk", "ours")):
    qlk = session(api)
    suffix, options = ("", ()) if api == "jdk" else (" ours", PATCH)
    applet_once()  # the page cache, and the viewer's first start in this session
    frame_once(options)
    for _ in range((runs + 1) // 2 if session_number < 2 else runs // 2):
        times["applet" + suffix].append(applet_once())
        times["frame" + (" patched" if options else "")].append(frame_once(options))
    e.close_window("Quenlark")
    e.wait_exit(qlk.proc)
    e.wait_no_window("Quenlark")

med = {k: statistics.median(v) for k, v in times.items()}
for key, label in (("applet", "ｱﾌﾟﾚｯﾄ実行, the JDK's Applet API"), ("applet ours", "ｱﾌﾟﾚｯﾄ実行, our Applet API"),
                   ("frame", "java empty 300x200 Frame"), ("frame patched", "the same with --patch-module")):
    print(f"{label:34} median {med[key]:7.1f} ms  (range {min(times[key]):.0f}-{max(times[key]):.0f}, "
          f"{len(times[key])} runs)")
print(f"ratio to the Frame {med['applet'] / med['frame']:.2f}x; "
      f"our API against the JDK's {med['applet ours'] / med['applet']:.2f}x; "
      f"--patch-module on the Frame {med['frame patched'] / med['frame']:.2f}x")
