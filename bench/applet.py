"""ｱﾌﾟﾚｯﾄ実行 until the applet's first paint, against `java` opening an empty
300x200 Frame, alternating runs under one private X server. Times are read
from the wall clock on both sides of the process boundary (same machine).
The button is clicked with the mouse as a user does (xdotool): a press through
the accessibility bridge would add the 100 ms its animated click holds the
button down.

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

runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
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


qlk = e.Session({"JavaFileFolder0": folder})
qlk.set_name("Painted")
button = e.find(qlk.main, name="ｱﾌﾟﾚｯﾄ実行", role=pyatspi.ROLE_PUSH_BUTTON)
box = button.queryComponent().getExtents(e.pyatspi.DESKTOP_COORDS)
subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2)], check=True)


def applet_once():
    with open(e.RESULT_FILE, "w"):
        pass
    start = time.time()
    subprocess.run(["xdotool", "click", "1"], check=True)
    painted = e.wait_for(lambda: painted_at(read_result()), 30, 0.005, "first paint")
    return (painted - start) * 1000


def frame_once():
    start = time.time()
    proc = subprocess.Popen(["java", "-cp", folder, "EmptyFrame"], stdout=subprocess.PIPE, text=True)
    painted = painted_at(proc.stdout.readline())
    proc.kill()
    proc.wait()
    return (painted - start) * 1000


applet_once()  # warm the page cache once
frame_once()
times = {"applet": [], "frame": []}
for _ in range(runs):
    times["applet"].append(applet_once())
    times["frame"].append(frame_once())
e.close_window("Quenlark")
e.wait_exit(qlk.proc)

med = {k: statistics.median(v) for k, v in times.items()}
print(f"ｱﾌﾟﾚｯﾄ実行 to first paint  median {med['applet']:7.1f} ms  "
      f"(range {min(times['applet']):.0f}-{max(times['applet']):.0f}, {runs} runs)")
print(f"java empty 300x200 Frame   median {med['frame']:7.1f} ms  "
      f"(range {min(times['frame']):.0f}-{max(times['frame']):.0f})")
print(f"ratio {med['applet'] / med['frame']:.2f}x")
