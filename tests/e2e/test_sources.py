"""New and open commands with the default editor, and the version box, as a
user meets them in the real program."""
import os
import stat
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

PROGRAM_DIR = os.path.dirname(e.PROGRAM)
SOURCES = os.path.join(e.HOME, "java src")
os.makedirs(SOURCES)
e.write_ini({"setting": {"JavaFileFolder0": SOURCES}})

# The desktop's opener, as the default editor finds it on PATH: records what
# it was asked to open.
BIN = os.path.join(e.WORK, "bin")
RECORD = os.path.join(e.WORK, "opened.txt")
os.makedirs(BIN)
with open(os.path.join(BIN, "xdg-open"), "w") as f:
    f.write('#!/bin/sh\nprintf "%s\\n" "$@" >> "' + RECORD + '"\n')
os.chmod(os.path.join(BIN, "xdg-open"), 0o755)


def opened():
    if not os.path.exists(RECORD):
        return []
    with open(RECORD, encoding="utf-8") as f:
        return f.read().splitlines()


def menu(*keys):
    e.key("alt+m", window="Quenlark")
    time.sleep(0.3)
    e.key(*keys)


def make_java_again(answer):
    """New Java file once more over the one there: the question comes and is
    answered with the key `answer`."""
    menu("n", "j")
    e.wait_window("ﾌｧｲﾙが存在しています")
    e.key(answer, window="ﾌｧｲﾙが存在しています")
    e.wait_no_window("ﾌｧｲﾙが存在しています")
    time.sleep(0.5)


def read(path):
    with open(path, "rb") as f:
        return f.read()


proc = e.start(env={"PATH": BIN + os.pathsep + os.environ["PATH"]})
e.wait_window("Quenlark")
a = e.app()
notepad = os.path.join(e.DATA_DIR, "notepad.exe")
e.check(os.path.isfile(notepad) and os.stat(notepad).st_mode & stat.S_IXUSR, "default editor copied, executable")

# A new Java file from the template, opened at once in the default editor,
# its path with a space arriving whole.
e.key("ctrl+a", window="Quenlark")
e.type_text("Hello")
menu("n", "j")
target = os.path.join(SOURCES, "Hello.java")
e.wait_for(lambda: opened(), what="the editor opens the new file")
e.check(read(target) == read(os.path.join(PROGRAM_DIR, "temp.java")).replace(b"%CLASSNAME%", b"Hello"),
        "new file is temp.java with the typed class name")
e.check(opened() == [target], "the default editor got the new file's path")

# Again: the question; No keeps the user's work and opens nothing.
with open(target, "w") as f:
    f.write("my work\n")
os.remove(RECORD)
make_java_again("Escape")
e.check(read(target) == b"my work\n" and not opened(), "No leaves the file and starts nothing")

# Enter answers with the default button, いいえ: the work stays.
make_java_again("Return")
e.check(read(target) == b"my work\n" and not opened(), "Enter keeps the file and starts nothing")

# Open the Java file; a missing page gets the message with its path.
menu("o", "j")
e.wait_for(lambda: opened(), what="the editor opens the java file")
e.check(opened() == [target], "open passes the java file")
menu("o", "h")
e.wait_window("ﾌｧｲﾙが見つかりません")
box = e.find(a, name="ﾌｧｲﾙが見つかりません")
text = " ".join(n.name for n in e.find_all(box))
e.check(os.path.join(SOURCES, "Hello.html") in text, "the missing page's path is shown")
e.key("Return", window="ﾌｧｲﾙが見つかりません")
e.wait_no_window("ﾌｧｲﾙが見つかりません")

# The version box: one at most, closed by its button.
TITLE = "Quenlarkのﾊﾞｰｼﾞｮﾝ情報"
menu("v")
e.wait_window(TITLE)
about = e.find(a, name=TITLE)
e.check(e.find(about, name="ﾊﾞｰｼﾞｮﾝ 2.0.1") is not None, "version line 2.0.1")
menu("v")
time.sleep(0.8)
e.check(e.windows().count(TITLE) == 1, "a second command shows the same box")
e.press(e.find(about, name="ＯＫ", role=pyatspi.ROLE_PUSH_BUTTON))
e.wait_no_window(TITLE)
e.check(TITLE not in e.windows(), "OK closes the box")

e.close_window("Quenlark")
e.check(e.wait_exit(proc) == 0, "program ends normally")
e.finish()
