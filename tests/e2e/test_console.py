"""The result window as the console of a run, with the real JDK and the
shipped scripts: typing to a program, stopping it, closing the program with
a run live, a Shift_JIS source, the file-size limit, and a superseded run."""
import os
import shutil
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "java")
os.makedirs(FOLDER, exist_ok=True)
RESULT = e.RESULT_FILE

SOURCES = {
    "Ask": 'import java.util.Scanner;\npublic class Ask {\n    public static void main(String[] a) {\n'
           '        System.out.print("数を入力してください: ");\n        System.out.flush();\n'
           '        int n = new Scanner(System.in).nextInt();\n        System.out.println("答え " + n * 2);\n'
           '    }\n}\n',
    "Endless": 'public class Endless {\n    public static void main(String[] a) {\n'
               '        System.out.println("回っています");\n        long x = 0;\n'
               '        while (true) { x++; }\n    }\n}\n',
    "Flood": 'public class Flood {\n    public static void main(String[] a) {\n'
             '        while (true) { System.out.println("あふれる出力 0123456789"); }\n    }\n}\n',
}
for name, text in SOURCES.items():
    with open(os.path.join(FOLDER, name + ".java"), "w", encoding="utf-8") as f:
        f.write(text)
subprocess.run(["javac", "-encoding", "UTF-8"] + [n + ".java" for n in SOURCES], cwd=FOLDER, check=True)
# A source saved by a Windows editor: Shift_JIS bytes, not UTF-8.
with open(os.path.join(FOLDER, "Sjis.java"), "wb") as f:
    f.write('public class Sjis {\n    public static void main(String[] a) {\n'
            '        System.out.println("こんにちは、世界 ソース表");\n    }\n}\n'.encode("cp932"))


def live_java(cls):
    """Pids of live (not zombie) java processes whose arguments name `cls`
    (the run's supervisor names it too)."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                args = f.read().split(b"\0")
            with open(f"/proc/{entry}/stat") as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if cls.encode() in args and os.path.basename(args[0]) == b"java" and state not in ("Z", "X"):
            pids.append(int(entry))
    return pids


SETTINGS = {"JavaFileFolder0": FOLDER, "SelectedFolder": " 0"}
qlk = e.Session(SETTINGS)


# A Shift_JIS source compiles and prints its Japanese literal.
qlk.set_name("Sjis")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
e.wait_window("出力結果")
qlk.wait_result("コンパイルが終わりました: Sjis.java")
qlk.wait_status("終了コード 0")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("こんにちは、世界 ソース表")
e.check(True, "a CP932 source with a Japanese literal compiles and prints right")

# A program that reads a number: typed into 入力, Enter, the answer shows.
qlk.set_name("Ask")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("数を入力してください:")
entry = e.find(qlk.result_frame(), name="入力")
e.check(e.enabled(entry), "input box enabled while the run is live")
e.activate_window("出力結果")
time.sleep(0.3)
e.type_text("21")
e.key("Return")
qlk.wait_result("答え 42", 20)
e.check("数を入力してください: 21\n答え 42" in qlk.result_text(), "typed line stands in the transcript")
qlk.wait_status("終了しました (終了コード 0")
e.check(not e.enabled(entry), "input box disabled after the end")

# An endless loop is stopped with 停止 and nothing of it remains.
qlk.set_name("Endless")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("回っています")
qlk.wait_status("実行中")
e.check(len(live_java("Endless")) == 1, "the endless loop runs")
t0 = time.monotonic()
e.press(e.find(qlk.result_frame(), name="停止", role=pyatspi.ROLE_PUSH_BUTTON))
e.wait_for(lambda: not live_java("Endless"), 5, 0.02, what="endless loop gone")
took = time.monotonic() - t0
e.check(took < 3, f"停止 ends the loop within 3 s ({took:.2f} s)")
qlk.wait_status("停止しました")

# A new start while a run is live: the old one is gone at once.
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_status("実行中")
e.wait_for(lambda: live_java("Endless"), 10, what="first loop")
old = live_java("Endless")
t0 = time.monotonic()
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_for(lambda: not set(old) & set(live_java("Endless")), 5, 0.01, what="old loop gone")
took = time.monotonic() - t0
e.check(took < 1.0, f"the superseded run is gone at once ({took:.2f} s)")
e.wait_for(lambda: live_java("Endless"), 10, what="second loop")
e.check(len(live_java("Endless")) == 1, "one run live")

# Closing the main window with a live run leaves no process of it.
e.close_window("Quenlark")
e.check(e.wait_exit(qlk.proc) == 0, "program ends normally with a run live")
time.sleep(0.3)
e.check(not live_java("Endless"), "no process of the run outlives the program")

# The file-size limit: a portable copy of the program whose application
# script allows 20 KB; a program printing for ever stops growing the file there.
portable = os.path.join(e.WORK, "portable")
shutil.copytree(os.path.dirname(e.PROGRAM), portable)
script = os.path.join(portable, "apli.bat")
with open(script, encoding="utf-8") as f:
    text = f.read()
e.check("limit=204800" in text, "the shipped script limits result.txt to 100 MB")
with open(script, "w", encoding="utf-8") as f:
    f.write(text.replace("limit=204800", "limit=40"))
qlk = e.Session(SETTINGS, os.path.join(portable, "quenlark"))
qlk.set_name("Flood")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_for(lambda: os.path.getsize(RESULT) >= 20480, 30, 0.1, what="result at the limit")
time.sleep(1.5)
e.check(os.path.getsize(RESULT) == 20480, f"result.txt stays at the limit ({os.path.getsize(RESULT)})")
qlk.wait_status("result.txt が上限の 20 KB に達しました。「停止」で止めてください", 10)
e.check(len(live_java("Flood")) == 1, "the program goes on running at the limit")
e.key("ctrl+Break", window="出力結果")
e.wait_for(lambda: not live_java("Flood"), 5, 0.05, what="flood stopped by Ctrl+Break")
e.check(True, "Ctrl+Break stops the run")

# Logout: Quenlark gets SIGTERM with a run live; the run goes with it.
qlk.set_name("Endless")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_for(lambda: live_java("Endless"), 10, what="loop before SIGTERM")
qlk.proc.terminate()
e.check(e.wait_exit(qlk.proc) == 0, "SIGTERM ends the program normally")
time.sleep(0.3)
e.check(not live_java("Endless"), "no process of the run outlives a SIGTERM to the program")

# Quenlark killed outright (SIGKILL, a crash): its run dies with it.
qlk = e.Session(SETTINGS)
qlk.set_name("Endless")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_for(lambda: live_java("Endless"), 10, what="loop before SIGKILL")
qlk.proc.kill()
qlk.proc.wait()
time.sleep(1)
e.check(not live_java("Endless"), "no process of the run outlives a SIGKILL to the program")
e.finish()
