"""Takes the README's pictures from the real program: the main window, the
result window after a compile error, the settings dialog, the version box, the
notice above an old class's output and the status of a program waiting for
input.

Run through tools/screenshots.sh, which starts it under the private X server of
the end-to-end tests (tests/e2e/run-in-xvfb.sh) with fresh HOME and XDG
folders.
    screenshots.py PROGRAM OUTDIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import qlk_e2e as e  # noqa: E402

OUT = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "docs")
MAIN = "Quenlark"
RESULT = "出力結果"
OPTIONS = "設定"
VERSION = "Quenlarkのﾊﾞｰｼﾞｮﾝ情報"

# A learner's source folder with one source that misses a semicolon on line 3.
FOLDER = os.path.join(e.HOME, "java")
os.makedirs(FOLDER, exist_ok=True)
with open(os.path.join(FOLDER, "Bad.java"), "w", encoding="utf-8") as f:
    f.write("public class Bad {\n"
            "    public static void main(String[] args) {\n"
            "        int x = 1\n"
            "        System.out.println(\"x = \" + x);\n"
            "    }\n"
            "}\n")
# A class compiled before its source was changed, and one that asks for input.
with open(os.path.join(FOLDER, "Round.java"), "w", encoding="utf-8") as f:
    f.write('public class Round {\n    public static void main(String[] args) {\n'
            '        System.out.println("round 10");\n    }\n}\n')
with open(os.path.join(FOLDER, "Ask.java"), "w", encoding="utf-8") as f:
    f.write('import java.util.Scanner;\n\npublic class Ask {\n'
            '    public static void main(String[] args) {\n        System.out.print("名前: ");\n'
            '        System.out.flush();\n        String name = new Scanner(System.in).nextLine();\n'
            '        System.out.println("こんにちは、" + name + " さん");\n    }\n}\n')
subprocess.run(["javac", "Round.java", "Ask.java"], cwd=FOLDER, check=True)
with open(os.path.join(FOLDER, "Round.java"), "w", encoding="utf-8") as f:
    f.write('public class Round {\n    public static void main(String[] args) {\n'
            '        System.out.println("round 11");\n    }\n}\n')
later = os.stat(os.path.join(FOLDER, "Round.class")).st_mtime + 5
os.utime(os.path.join(FOLDER, "Round.java"), (later, later))
e.write_ini({"setting": {"JavaFileFolder0": FOLDER, "SelectedFolder": " 0"}})


def window_id(title):
    """The X id of the client window the window manager lists under a title."""
    out = subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout
    for line in out.splitlines():
        parts = line.split(None, 3)
        if len(parts) == 4 and parts[3] == title:
            return parts[0]
    raise RuntimeError("no window " + title)


def frame_geometry(wid):
    """The window's place on the screen with the window manager's frame around it."""
    info = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
    values = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    x, y = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
    w, h = int(values["Width"]), int(values["Height"])
    extents = subprocess.run(["xprop", "-id", wid, "_NET_FRAME_EXTENTS"],
                             capture_output=True, text=True).stdout
    left = right = top = bottom = 0
    if "=" in extents:
        left, right, top, bottom = (int(v) for v in extents.split("=", 1)[1].split(","))
    return x - left, y - top, w + left + right, h + top + bottom


def shoot(title, name, *others):
    """Raises the window, takes the whole screen and crops it to the window
    (and to the other windows named, when there are any)."""
    e.activate_window(title)
    time.sleep(1.0)
    x, y, w, h = frame_geometry(window_id(title))
    for other in others:
        ox, oy, ow, oh = frame_geometry(window_id(other))
        right, bottom = max(x + w, ox + ow), max(y + h, oy + oh)
        x, y = min(x, ox), min(y, oy)
        w, h = right - x, bottom - y
    x, y = max(x, 0), max(y, 0)
    with tempfile.TemporaryDirectory() as tmp:
        whole = os.path.join(tmp, "screen.png")
        subprocess.run(["import", "-window", "root", whole], check=True)
        target = os.path.join(OUT, name)
        subprocess.run(["convert", whole, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                        "-strip", target], check=True)
    if shutil.which("optipng"):
        subprocess.run(["optipng", "-quiet", "-o5", "-strip", "all", target], check=False)
    print(f"{target}: {w}x{h}, {os.path.getsize(target)} bytes", flush=True)


def status(app):
    for frame in e.find_all(app, name=RESULT, role=pyatspi.ROLE_FRAME):
        for node in e.find_all(frame, role=pyatspi.ROLE_LABEL):
            if e.tooltip_of(node) == "実行の状態":
                return node.name
    return ""


os.makedirs(OUT, exist_ok=True)
proc = e.start()
e.wait_window(MAIN)
app = e.app()
main = e.find(app, name=MAIN, role=pyatspi.ROLE_FRAME)

# The class name typed as a learner types it.
name_box = e.find(e.find(main, name="クラス名", role=pyatspi.ROLE_COMBO_BOX), role=pyatspi.ROLE_TEXT)
name_box.queryComponent().grabFocus()
time.sleep(0.3)
e.type_text("Bad")
e.wait_for(lambda: e.text_of(name_box) == "Bad", 5, what="the typed name")
shoot(MAIN, "main-window.png")

# A real compile: javac's error marked in red, the counts on the status line.
e.press_key(MAIN, e.find(main, name="ｺﾝﾊﾟｲﾙ実行", role=pyatspi.ROLE_PUSH_BUTTON))
e.wait_window(RESULT)
e.wait_for(lambda: "エラー 1" in status(app) and "終了" in status(app), 90, 0.2,
           what="the compile to end with its error counted")
time.sleep(0.5)
shoot(RESULT, "result-window.png")
# Where the result window opens at first: beside the main window.
shoot(RESULT, "beside.png", MAIN)

e.press_key(MAIN, e.find(main, name=OPTIONS, role=pyatspi.ROLE_PUSH_BUTTON))
e.wait_window(OPTIONS)
time.sleep(0.5)
shoot(OPTIONS, "settings-dialog.png")
e.key("Escape", window=OPTIONS)
e.wait_no_window(OPTIONS)

e.key("alt+m", window=MAIN)
time.sleep(0.3)
e.key("v")
e.wait_window(VERSION)
time.sleep(0.5)
shoot(VERSION, "version-box.png")
e.key("Return", window=VERSION)
e.wait_no_window(VERSION)



def run_application(name):
    e.activate_window(MAIN)
    time.sleep(0.3)
    name_box.queryComponent().grabFocus()
    time.sleep(0.3)
    e.key("ctrl+a")
    e.type_text(name)
    e.wait_for(lambda: e.text_of(name_box) == name, 5, what="the typed name")
    e.press_key(MAIN, e.find(main, name="ｱﾌﾟﾘｹｰｼｮﾝ実行", role=pyatspi.ROLE_PUSH_BUTTON))


# The old class runs, and the line above its output says so.
run_application("Round")
e.wait_for(lambda: "終了" in status(app), 60, 0.2, what="the old class's run to end")
time.sleep(0.5)
shoot(RESULT, "old-class.png")

# A program that reads its input: the status says it waits for a line.
run_application("Ask")
e.wait_for(lambda: "入力を待っています" in status(app), 60, 0.2, what="the program to wait for input")
time.sleep(0.5)
shoot(RESULT, "waiting-for-input.png")
e.key("ctrl+Pause", window=RESULT)

e.close_window(MAIN)
e.wait_exit(proc)
