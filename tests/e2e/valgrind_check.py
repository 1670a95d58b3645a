"""One run of the real program under valgrind memcheck: start-up, a compile
and an application run with the shipped scripts, the result window, the
settings dialog, then close by the close box. Reports memcheck errors whose
stack passes through Quenlark's own code. Not part of the suite (slow):

    tests/e2e/run-in-xvfb.sh /usr/bin/python3 tests/e2e/valgrind_check.py build/bin/quenlark
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

src = os.path.join(e.HOME, "java")
os.makedirs(src)
with open(os.path.join(src, "Hello.java"), "w") as f:
    f.write('public class Hello { public static void main(String[] a) { System.out.println("hello from java"); } }\n')
e.write_ini({"setting": {"JavaFileFolder0": src}, "recent": {"0": "Hello"}})

log = os.path.join(e.WORK, "memcheck.log")
proc = subprocess.Popen(["valgrind", "--tool=memcheck", "--log-file=" + log, "--num-callers=30",
                         "--track-origins=no", e.PROGRAM], env=dict(os.environ, QT_ACCESSIBILITY="1"))
e.wait_window("Quenlark", timeout=120)
a = e.app(timeout=120)
main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME, timeout=60)
e.press(e.find(main, name="ｺﾝﾊﾟｲﾙ実行", timeout=60))
e.wait_window("出力結果", timeout=120)
e.wait_for(lambda: os.path.exists(os.path.join(src, "Hello.class")), timeout=120, what="Hello.class")
e.press(e.find(main, name="ｱﾌﾟﾘｹｰｼｮﾝ実行", timeout=60))
time.sleep(8)
e.press(e.find(main, name="設定", timeout=60))
time.sleep(5)
e.close_window("Quenlark")
proc.wait(timeout=180)

text = open(log, encoding="utf-8", errors="replace").read()
errors = re.search(r"ERROR SUMMARY: (\d+) errors", text)
# Error reports are blocks of lines separated by an empty "==PID==" line.
plain = re.sub(r"^==\d+== ?", "", text, flags=re.M)
blocks = plain.split("\n\n")
kinds = ("Invalid ", "uninitialised", "Mismatched", "overlap", "Syscall param")
root = os.path.join(os.path.dirname(__file__), "..", "..", "src")
own = {f for _, _, files in os.walk(root) for f in files}
def is_ours(block):
    """An error is ours when a function of ours, other than main (which only
    constructs the application), is on the stack of the faulty access."""
    stack = block.split("Address ")[0]
    for line in stack.splitlines():
        m = re.search(r"(?:at|by) 0x[0-9A-F]+: (.*?) \((?:([\w.]+):\d+|in ([^)]*))\)$", line.strip())
        if not m or m.group(1) == "main":
            continue
        if m.group(2) in own or (m.group(3) or "").endswith("/quenlark"):
            return True
    return False


ours = [b for b in blocks if any(k in b for k in kinds) and is_ours(b)]
print("memcheck:", errors.group(0) if errors else "no summary")
print("errors in Quenlark's code:", len(ours))
for block in ours[:5]:
    print(block)
e.check(len(ours) == 0, "no memcheck errors in our code")
e.finish()
