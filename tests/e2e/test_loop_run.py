"""The learner's loop in one start of the program: ｺﾝﾊﾟｲﾙして実行 (F9) runs a
class only after a compile that succeeded, from the main window and from the
result window, and an editor that draws in a terminal opens inside the
desktop's terminal, from the open command and from a problem line."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "java loop")
os.makedirs(FOLDER)


def source(name, text):
    with open(os.path.join(FOLDER, name), "w", encoding="utf-8") as f:
        f.write(text)


def program(name, line):
    return ("public class %s {\n    public static void main(String[] a) {\n"
            '        System.out.println("%s");\n    }\n}\n' % (name, line))


source("Good.java", program("Good", "good run"))
source("Round.java", program("Round", "round 10"))

# The desktop's terminal and a terminal editor, as stand-ins on PATH: the
# terminal records what it was asked to run, one argument a line.
BIN = os.path.join(e.WORK, "bin")
RECORD = os.path.join(e.WORK, "terminal.txt")
os.makedirs(BIN)
with open(os.path.join(BIN, "x-terminal-emulator"), "w") as f:
    f.write('#!/bin/sh\nprintf "%s\\n" "$@" > "' + RECORD + '.part"\nmv "' + RECORD + '.part" "' + RECORD + '"\n')
with open(os.path.join(BIN, "vim"), "w") as f:
    f.write("#!/bin/sh\nexit 0\n")
for name in ("x-terminal-emulator", "vim"):
    os.chmod(os.path.join(BIN, name), 0o755)
os.environ["PATH"] = BIN + os.pathsep + os.environ["PATH"]
os.environ.pop("TERMINAL", None)


def terminal_run():
    """What the terminal was last asked to run, then forgets it."""
    e.wait_for(lambda: os.path.exists(RECORD), 10, what="the terminal")
    with open(RECORD, encoding="utf-8") as f:
        args = f.read().splitlines()
    os.remove(RECORD)
    return args


def menu(*keys):
    e.key("alt+m", window="Quenlark")
    time.sleep(0.3)
    e.key(*keys)


qlk = e.Session({"JavaFileFolder0": FOLDER, "SelectedFolder": " 0", "JavaEdit": "vim"})

# F9 in the main window: the compile succeeds, the application runs.
qlk.set_name("Good")
e.key("F9", window="Quenlark")
e.wait_window("出力結果")
qlk.wait_result("good run")
qlk.wait_status("終了コード 0")
e.check(os.path.isfile(os.path.join(FOLDER, "Good.class")), "F9 compiled the class")
e.check("good run" in qlk.result_text(), "F9 then ran it, its output in view")

# The same from the result window, for a class compiled once, then broken:
# the compile fails and the old class is not run.
qlk.set_name("Round")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
qlk.wait_result("コンパイルが終わりました: Round.java")
source("Round.java", program("Round", "round 11").replace("println", "printn"))
e.key("F9", window="出力結果")
qlk.wait_result("error:")
qlk.wait_status("終了コード 1")
time.sleep(2)
e.check("round 10" not in qlk.result_text(), "after a failed compile the old class did not run")
e.check("error:" in qlk.result_text() and "終了コード 1" in qlk.status(),
        "the compile's errors stay in view")

# A problem line opens in the terminal editor, at its line.
e.key("F4", window="出力結果")
args = terminal_run()
target = os.path.join(FOLDER, "Round.java")
e.check(args[:2] == ["-e", "vim"] and args[-1] == target and args[-2].startswith("+"),
        "F4 opens vim inside the terminal at the line: %r" % args)

# 開く → javaﾌｧｲﾙ: the same terminal, the file alone.
qlk.set_name("Good")
menu("o", "j")
args = terminal_run()
e.check(args == ["-e", "vim", os.path.join(FOLDER, "Good.java")], "開く opens vim inside the terminal: %r" % args)

e.close_window("Quenlark")
e.check(e.wait_exit(qlk.proc) == 0, "program ends")
e.finish()
