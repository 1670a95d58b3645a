"""Problem lines in the result window with the real JDK: a compile error
and a program's crash are opened at their line with F4 in the Java editor,
here a stand-in named gedit in a folder whose path has a space, which
records the arguments it gets."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "my java")
os.makedirs(FOLDER, exist_ok=True)
TOOLS = os.path.join(e.HOME, "my tools")
os.makedirs(TOOLS, exist_ok=True)
EDITOR = os.path.join(TOOLS, "gedit")
RECORD = os.path.join(e.WORK, "editor-args.txt")
with open(EDITOR, "w") as f:
    f.write('#!/bin/sh\nfor a in "$@"; do printf "%s\\n" "$a"; done > "' + RECORD + '.new"\n'
            'mv "' + RECORD + '.new" "' + RECORD + '"\n')
os.chmod(EDITOR, 0o755)

with open(os.path.join(FOLDER, "Bad.java"), "w", encoding="utf-8") as f:
    f.write('public class Bad {\n    public static void main(String[] a) {\n'
            '        int x = 1\n        System.out.println(x);\n    }\n}\n')
with open(os.path.join(FOLDER, "Crash.java"), "w", encoding="utf-8") as f:
    f.write('public class Crash {\n    public static void main(String[] a) {\n'
            '        int[] n = new int[3];\n        System.out.println("start");\n'
            '        n[3] = 1;\n    }\n}\n')
subprocess.run(["javac", "Crash.java"], cwd=FOLDER, check=True)

qlk = e.Session({"JavaFileFolder0": FOLDER, "SelectedFolder": " 0", "JavaEdit": EDITOR})


def recorded():
    try:
        with open(RECORD, encoding="utf-8") as f:
            return f.read().splitlines()
    except OSError:
        return None


def f4_opens(expected, what):
    if os.path.exists(RECORD):
        os.remove(RECORD)
    e.key("F4", window="出力結果")
    try:
        e.wait_for(lambda: recorded() == expected, 15, 0.1, what=what)
    except TimeoutError:
        print("recorded:", recorded(), "status:", qlk.status(), flush=True)
        raise
    e.check(True, what)


qlk.set_name("Bad")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
e.wait_window("出力結果")
e.wait_for(lambda: "エラー 1" in qlk.status() and "終了" in qlk.status(), 60, 0.2, what="compile ended with its count")
e.check(True, "the status line counts the compile's error")
f4_opens(["+3", os.path.join(FOLDER, "Bad.java")], "F4 opens the error's line in the editor: +3 and the source's path")

qlk.set_name("Crash")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_for(lambda: "終了コード 1" in qlk.status(), 60, 0.2, what="the crash ended the run")
time.sleep(0.5)
f4_opens(["+5", os.path.join(FOLDER, "Crash.java")], "F4 reaches the frame's line of a program that throws")

qlk.proc.terminate()
e.wait_exit(qlk.proc)
e.finish()
