"""The learner's loop in one start of the program: ｺﾝﾊﾟｲﾙして実行 (F9) runs a
class only after a compile that succeeded, from the main window and from the
result window, and an editor that draws in a terminal opens inside the
desktop's terminal from a problem line."""
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
for name, body in (("x-terminal-emulator", 'printf "%s\\n" "$@" > "' + RECORD + '.part"\nmv "' + RECORD + '.part" "'
                     + RECORD + '"\n'), ("vim", "exit 0\n")):
    with open(os.path.join(BIN, name), "w") as f:
        f.write("#!/bin/sh\n" + body)
    os.chmod(os.path.join(BIN, name), 0o755)
os.environ["PATH"] = BIN + os.pathsep + os.environ["PATH"]
os.environ.pop("TERMINAL", None)


qlk = e.Session({"JavaFileFolder0": FOLDER, "SelectedFolder": " 0", "JavaEdit": "vim"})

# F9 in the main window: the compile succeeds, the application runs.
qlk.set_name("Good")
e.key("F9", window="Quenlark")
qlk.wait_result("good run")
qlk.wait_status("終了コード 0")

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

# A problem line opens in the terminal editor, at its line.
e.key("F4", window="出力結果")
e.wait_for(lambda: os.path.exists(RECORD), 10, what="the terminal")
args = open(RECORD, encoding="utf-8").read().splitlines()
e.check(args[:2] == ["-e", "vim"] and args[-1] == os.path.join(FOLDER, "Round.java") and args[-2].startswith("+"),
        "F4 opens vim inside the terminal at the line: %r" % args)

e.close_window("Quenlark")
e.check(e.wait_exit(qlk.proc) == 0, "program ends")
e.finish()
