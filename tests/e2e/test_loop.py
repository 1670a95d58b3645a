"""The learner's loop in one start of the real program: an old class run by
ｱﾌﾟﾘｹｰｼｮﾝ実行 is told above its output, a name typed into the output area
reaches the waiting program, and the first F4 after a compile opens its
first error."""
import os
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
subprocess.run(["javac", "Round.java", "Ask.java"], cwd=FOLDER, check=True)
# Edited after the compile: the class is the old one.
source("Round.java", ROUND % 11)
later = os.stat(os.path.join(FOLDER, "Round.class")).st_mtime + 5
os.utime(os.path.join(FOLDER, "Round.java"), (later, later))

qlk = e.Session({"JavaFileFolder0": FOLDER, "SelectedFolder": " 0", "JavaEdit": EDITOR})


def notice():
    """The result window's notice row; "" while it shows nothing."""
    frame = qlk.result_frame()
    for node in e.find_all(frame, role=pyatspi.ROLE_LABEL) if frame else []:
        if e.tooltip_of(node) == "注意" and node.getState().contains(pyatspi.STATE_SHOWING):
            return node.name
    return ""


def recorded():
    return open(RECORD, encoding="utf-8").read().splitlines() if os.path.exists(RECORD) else None


# An old class runs, and the line above its output says so.
qlk.set_name("Round")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("round 10")
e.wait_for(notice, 10, what="the notice of the old class")
e.check(notice().startswith("注意: Round.java はコンパイルした後に変更されています。実行するのは古い Round.class です"),
        "the notice names the source and the old class: " + notice())

# Typed into the output area, a name reaches the program waiting for it.
qlk.set_name("Ask")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("名前:")
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
e.key("F4", window="出力結果")
e.wait_for(lambda: recorded() is not None, 15, 0.1, what="the editor's start")
e.check(recorded() == ["+3", os.path.join(FOLDER, "Bad.java")], f"the first F4 opens line 3: {recorded()}")

qlk.proc.terminate()
e.wait_exit(qlk.proc)
e.finish()
