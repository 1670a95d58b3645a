"""On a 120-dpi screen with Qt's own scaling off (12 twips per pixel), the
result window and the main window come back where and as large as they were
left, however often they are closed and opened again."""
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

DENSE = {"QT_ENABLE_HIGHDPI_SCALING": "0", "QT_FONT_DPI": "120"}
FOLDER = os.path.join(e.HOME, "src")
os.makedirs(FOLDER, exist_ok=True)
with open(os.path.join(FOLDER, "Hello.java"), "w") as f:
    f.write("public class Hello {}\n")
e.write_ini({"setting": {"JavaFileFolder0": FOLDER}})


def geometry(title):
    """x, y, width, height of the window as the window manager has it."""
    for line in subprocess.run(["wmctrl", "-lG"], capture_output=True, text=True).stdout.splitlines():
        parts = line.split(None, 7)
        if len(parts) == 8 and parts[7] == title:
            return tuple(int(v) for v in parts[2:6])
    return None


def settled(title):
    """The geometry once it stopped changing."""
    last = None
    for _ in range(20):
        now = geometry(title)
        if now == last and now is not None:
            return now
        last = now
        time.sleep(0.2)
    return last


def near(a, b, slack=2):
    return a is not None and b is not None and all(abs(p - q) <= slack for p, q in zip(a, b))


def open_result(a):
    """A compile opens the result window."""
    main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME)
    e.find(e.find(main, role=pyatspi.ROLE_COMBO_BOX), role=pyatspi.ROLE_TEXT).queryEditableText().setTextContents("Hello")
    e.press(e.find(main, name="ｺﾝﾊﾟｲﾙ実行", role=pyatspi.ROLE_PUSH_BUTTON))
    e.wait_window("出力結果")


def close_result(a):
    frame = e.find(a, name="出力結果", role=pyatspi.ROLE_FRAME)
    e.press(e.find(frame, name="終了(X)", role=pyatspi.ROLE_MENU_ITEM))
    e.wait_no_window("出力結果")


proc = e.start(env=DENSE)
e.wait_window("Quenlark")
a = e.app()
open_result(a)
subprocess.run(["wmctrl", "-r", "出力結果", "-e", "0,300,200,600,300"], check=False)
time.sleep(0.5)
left = settled("出力結果")
e.check(near(left[2:], (600, 300), 40), "the result window took the size it was given: %r" % (left,))
close_result(a)
# The store keeps its format: twips at 12 per pixel, times 12/15.
stored = float(e.read_ini().get("setting", {}).get("ResultWidth", "0"))
e.check(abs(stored - (left[2] * 12 + 120) * 12 / 15) <= 5 * 12, "stored width %r is of a 12-twip screen" % stored)
for time_round in (1, 2, 3):
    if time_round > 1:
        close_result(a)
    open_result(a)
    back = settled("出力結果")
    e.check(near(back, left), "result window reopened %d: %r, left at %r" % (time_round, back, left))
close_result(a)

subprocess.run(["wmctrl", "-r", "Quenlark", "-e", "0,400,300,-1,-1"], check=False)
time.sleep(0.5)
main_left = settled("Quenlark")
for time_round in (1, 2):
    e.close_window("Quenlark")
    e.check(e.wait_exit(proc) == 0, "program ends")
    proc = e.start(env=DENSE)
    e.wait_window("Quenlark")
    back = settled("Quenlark")
    e.check(near(back, main_left), "main window restarted %d: %r, left at %r" % (time_round, back, main_left))
e.close_window("Quenlark")
e.wait_exit(proc)
e.finish()
