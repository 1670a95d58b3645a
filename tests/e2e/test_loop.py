"""The learner's loop in one start of the real program: an old class run by
ｱﾌﾟﾘｹｰｼｮﾝ実行 is told above its output, a name typed into the output area
reaches the waiting program, and the first F4 after a compile opens its
first error. Then a compile that cannot write result.txt (a folder in its
place) is told with the script's own words, and ｱﾌﾟﾚｯﾄ実行 says the viewer
was started. QLK_SHOTS names a folder for screenshots of these."""
import os
import shutil
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "loop")
os.makedirs(FOLDER, exist_ok=True)
RECORD = os.path.join(e.WORK, "editor-args.txt")
EDITOR = os.path.join(e.HOME, "tools", "gedit")
os.makedirs(os.path.dirname(EDITOR), exist_ok=True)
with open(EDITOR, "w") as f:
    f.write('#!/bin/sh\nfor a in "$@"; do printf "%s\\n" "$a"; done > "' + RECORD + '.new"\n'
            'mv "' + RECORD + '.new" "' + RECORD + '"\n')
os.chmod(EDITOR, 0o755)
SHOTS = os.environ.get("QLK_SHOTS")


def source(name, text):
    with open(os.path.join(FOLDER, name), "w", encoding="utf-8") as f:
        f.write(text)


ROUND = ('public class Round {\n    public static void main(String[] a) {\n'
         '        System.out.println("round %d");\n    }\n}\n')
source("Round.java", ROUND % 10)
source("Ask.java", 'import java.util.Scanner;\npublic class Ask {\n'
       '    public static void main(String[] a) {\n        System.out.print("名前: ");\n'
       '        System.out.flush();\n        String n = new Scanner(System.in).nextLine();\n'
       '        System.out.println("こんにちは、" + n + " さん");\n    }\n}\n')
source("Bad.java", 'public class Bad {\n    public static void main(String[] a) {\n'
       '        int x = 1\n        int y = 2\n    }\n}\n')
source("Hi.java", 'public class Hi extends java.applet.Applet {\n'
       '    public void paint(java.awt.Graphics g) { g.drawString("hi", 10, 20); }\n}\n')
source("Hi.html", '<applet code="Hi.class" width=200 height=80></applet>\n')
subprocess.run(["javac", "-nowarn", "Round.java", "Ask.java", "Hi.java"], cwd=FOLDER, check=True,
               stderr=subprocess.DEVNULL)
# Edited after the compile: the class is the old one.
source("Round.java", ROUND % 11)
for name in ("Round.java", "Hi.java"):
    later = os.stat(os.path.join(FOLDER, name.replace(".java", ".class"))).st_mtime + 5
    os.utime(os.path.join(FOLDER, name), (later, later))

qlk = e.Session({"JavaFileFolder0": FOLDER, "SelectedFolder": " 0", "JavaEdit": EDITOR})


def notice():
    """The result window's notice row; "" while it shows nothing."""
    frame = qlk.result_frame()
    for node in e.find_all(frame, role=pyatspi.ROLE_LABEL) if frame else []:
        if e.tooltip_of(node) == "注意" and node.getState().contains(pyatspi.STATE_SHOWING):
            return node.name
    return ""


def shot(name):
    if SHOTS:
        time.sleep(0.5)
        e.screenshot(os.path.join(SHOTS, name))


def recorded():
    try:
        with open(RECORD, encoding="utf-8") as f:
            return f.read().splitlines()
    except OSError:
        return None


# An old class runs, and the line above its output says so.
qlk.set_name("Round")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_window("出力結果")
qlk.wait_result("round 10")
e.wait_for(notice, 10, what="the notice of the old class")
e.check(notice().startswith("注意: Round.java はコンパイルした後に変更されています。実行するのは古い Round.class です"),
        "the notice names the source and the old class: " + notice())
e.check("注意" not in qlk.result_text(), "the notice is no part of the output")
shot("loop-stale-class.png")

# Typed into the output area, a name reaches the program waiting for it.
qlk.set_name("Ask")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("名前:")
e.check(notice() == "", "a fresh class runs without a notice")
e.activate_window("出力結果")
time.sleep(0.3)
e.find(qlk.result_frame(), name="出力結果の内容").queryComponent().grabFocus()
time.sleep(0.3)
e.type_text("Hanako")
e.key("BackSpace")
e.type_text("o")
e.key("Return")
qlk.wait_result("こんにちは、Hanako さん", 20)
e.check("名前: Hanako\n" in qlk.result_text(), "the typed line stands in the transcript")

# The first F4 after a compile opens its first error.
qlk.set_name("Bad")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
e.wait_for(lambda: "エラー 2" in qlk.status() and "終了" in qlk.status(), 60, 0.2, what="the compile's end")
if os.path.exists(RECORD):
    os.remove(RECORD)
e.key("F4", window="出力結果")
try:
    e.wait_for(lambda: recorded() is not None, 15, 0.1, what="the editor's start")
except TimeoutError:
    pass
e.check(recorded() == ["+3", os.path.join(FOLDER, "Bad.java")], f"the first F4 opens line 3: {recorded()}")
os.remove(RECORD)
e.key("F4", window="出力結果")
e.wait_for(lambda: recorded() is not None, 15, 0.1, what="the second editor start")
e.check(recorded() == ["+4", os.path.join(FOLDER, "Bad.java")], f"the next F4 opens line 4: {recorded()}")

# A folder in result.txt's place: the compile is told with the script's words.
os.remove(e.RESULT_FILE)
os.mkdir(e.RESULT_FILE)
qlk.press("ｺﾝﾊﾟｲﾙ実行")
e.wait_for(lambda: "終了コード 2" in qlk.status(), 30, 0.1, what="the compile that could not write")
e.wait_for(notice, 10, what="the result.txt notice")
e.check(notice().startswith("注意: この実行は result.txt に書けませんでした"), "result.txt is named: " + notice())
e.check("理由: " in notice() and "result.txt" in notice().split("理由: ", 1)[1],
        "the reason is the script's own line")
shot("loop-result-not-written.png")
os.rmdir(e.RESULT_FILE)

# After ｱﾌﾟﾚｯﾄ実行 the status tells of the viewer, not of the last compile.
qlk.set_name("Hi")
qlk.press("ｱﾌﾟﾚｯﾄ実行")
qlk.wait_status("アプレットビューアを起動しました", 10)
e.check(qlk.status().startswith("アプレットビューアを起動しました"), "the status says the viewer was started")
e.wait_for(lambda: notice().startswith("注意: Hi.java"), 10, what="the applet's old class")
e.check(True, "the open result window tells of the applet's old class")
try:
    e.wait_window("Hi - アプレット", 30)
except TimeoutError:
    pass
shot("loop-applet-started.png")

qlk.proc.terminate()
e.wait_exit(qlk.proc)
e.finish()
