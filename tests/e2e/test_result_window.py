"""The result window as a user meets it: it opens beside the main window, it
follows result.txt at once, also two rewrites within a second, text in CP932
and a progress bar drawn with carriage returns; its menu keeps it above other
windows and closes it alone; it comes back where it was left."""
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "src")
os.makedirs(FOLDER, exist_ok=True)
with open(os.path.join(FOLDER, "Hello.java"), "w") as f:
    f.write("public class Hello {}\n")
RESULT = os.path.join(e.DATA_DIR, "result.txt")

e.write_ini({"setting": {"JavaFileFolder0": FOLDER}})
proc = e.start()
e.wait_window("Quenlark")
a = e.app()


def compile_hello():
    main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME)
    e.find(e.find(main, role=pyatspi.ROLE_COMBO_BOX), role=pyatspi.ROLE_TEXT).queryEditableText().setTextContents("Hello")
    e.press(e.find(main, name="ｺﾝﾊﾟｲﾙ実行", role=pyatspi.ROLE_PUSH_BUTTON))
    e.wait_window("出力結果")


def text_node():
    return e.find(e.find(a, name="出力結果", role=pyatspi.ROLE_FRAME), name="出力結果の内容")


def wait_shown(fragment, timeout=30):
    return e.wait_for(lambda: fragment in e.text_of(text_node()), timeout, 0.02, what="shown " + fragment)


def write(data):
    with open(RESULT, "wb") as f:
        f.write(data)


def window_id(title):
    for line in subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout.splitlines():
        parts = line.split(None, 3)
        if len(parts) == 4 and parts[3] == title:
            return parts[0]
    return None


def above(title):
    out = subprocess.run(["xprop", "-id", window_id(title), "_NET_WM_STATE"], capture_output=True, text=True).stdout
    return "_NET_WM_STATE_ABOVE" in out


def menu_item(caption):
    frame = e.find(a, name="出力結果", role=pyatspi.ROLE_FRAME)
    return e.find(frame, name=caption, role=pyatspi.ROLE_MENU_ITEM)


def geometry(title):
    for line in subprocess.run(["wmctrl", "-lG"], capture_output=True, text=True).stdout.splitlines():
        g = line.split()
        if g[-1] == title:
            return [int(v) for v in g[2:6]]
    return None


compile_hello()
wait_shown("コンパイルが終わりました")
e.check(not above("出力結果"), "not above other windows at first")
m, r = geometry("Quenlark"), geometry("出力結果")
apart = r[0] >= m[0] + m[2] or r[0] + r[2] <= m[0] or r[1] >= m[1] + m[3] or r[1] + r[3] <= m[1]
e.check(apart, "opens beside the main window, not over its run buttons: %s %s" % (m, r))

# Two rewrites well within one second: both show, each at once.
write(b"first rewrite\n")
start = time.monotonic()
wait_shown("first rewrite", 2)
write(b"second rewrite\n")
wait_shown("second rewrite", 2)
e.check(time.monotonic() - start < 0.9, "two rewrites within a second both shown")
e.check("first" not in e.text_of(text_node()), "the second replaces the first")

# Output of a Japanese tool in CP932, and UTF-8 after it.
write("日本語の出力です\r\n".encode("cp932"))
wait_shown("日本語の出力です", 2)
e.check(True, "CP932 text shown as Japanese")
write("ＵＴＦ－８の出力\n".encode("utf-8"))
wait_shown("ＵＴＦ－８の出力", 2)
e.check(True, "UTF-8 text shown")

# A progress bar that returns to the start of its line shows as one line.
write(b"progress 10%\rprogress 50%\rprogress 100%\ndone\n")
wait_shown("done", 2)
shown = e.text_of(text_node())
e.check(shown.count("progress") == 1 and "progress 100%" in shown, "a \\r progress bar shows as one line")

# Always on top through the menu, then the menu's end command.
e.press(menu_item("常に手前に表示"))
e.wait_for(lambda: above("出力結果"), 5, what="above")
e.check(True, "menu puts the window above others")
subprocess.run(["wmctrl", "-r", "出力結果", "-e", "0,300,200,600,250"], check=False)
time.sleep(0.5)
e.press(menu_item("終了(X)"))
e.wait_no_window("出力結果")
e.check("Quenlark" in e.windows(), "end command closes only the result window")
s = e.read_ini().get("setting", {})
e.check(s.get("ResultFormBefore") == "True", "always-on-top written at close")
e.check(abs(float(s.get("ResultLeft", "0")) - 300 * 15) <= 40 * 15, "position written at close")
e.check(abs(float(s.get("ResultWidth", "0")) - 600 * 15) <= 40 * 15, "width written at close")

# Shown again: where it was left, above others, and empty until the file
# changes.
write(b"while closed\n")
time.sleep(0.3)
compile_hello()
e.wait_for(lambda: above("出力結果"), 5, what="above again")
e.check(True, "reopens above other windows")
geometry = [l.split() for l in subprocess.run(["wmctrl", "-lG"], capture_output=True, text=True).stdout.splitlines()]
row = next(g for g in geometry if g[-1] == "出力結果")
e.check(abs(int(row[2]) - 300) <= 40 and abs(int(row[4]) - 600) <= 40, "reopens at the stored place and size")
wait_shown("コンパイルが終わりました")

e.close_window("Quenlark")
e.check(e.wait_exit(proc) == 0, "program ends normally, closing the result window")
e.check("出力結果" not in e.windows(), "result window gone with the program")
e.finish()
