"""Private files: the store, the data folder, the alias folder and the
single-instance lock are the user's alone, and nothing lands in the shared
/tmp under a predictable name, with or without XDG_RUNTIME_DIR."""
import os
import stat
import subprocess
import sys

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

spaced = os.path.join(e.HOME, "my java")
os.makedirs(spaced)
with open(os.path.join(spaced, "Hello.java"), "w") as f:
    f.write("public class Hello {}\n")
e.write_ini({"setting": {"JavaFileFolder0": spaced}, "recent": {"0": "Hello"}})


def mode(path):
    return stat.S_IMODE(os.lstat(path).st_mode)


def tmp_entries():
    return set(os.listdir("/tmp"))


runtime = os.environ["XDG_RUNTIME_DIR"]
before = tmp_entries()
proc = e.start()
e.wait_window("Quenlark")
e.check(os.path.exists(os.path.join(runtime, "quenlark.lock")), "lock in the user's runtime folder")
main = e.find(e.app(), name="Quenlark", role=pyatspi.ROLE_FRAME)
e.press(e.find(main, name="ｺﾝﾊﾟｲﾙ実行", role=pyatspi.ROLE_PUSH_BUTTON))
aliases = os.path.join(runtime, "quenlark-aliases")
e.wait_for(lambda: os.path.isdir(aliases), 10, what="alias folder")
e.check(mode(aliases) == 0o700, "alias folder is 0700")
links = os.listdir(aliases)
e.check(len(links) == 1 and os.path.realpath(os.path.join(aliases, links[0])) == spaced, "alias points at the folder")
e.close_window("Quenlark")
e.wait_exit(proc)
e.check(mode(e.CONFIG_INI) == 0o600, "store is 0600")
e.check(mode(e.DATA_DIR) == 0o700, "data folder is 0700")

# Without XDG_RUNTIME_DIR (as under CI) everything private stays in the data
# folder, and neither the program nor Qt makes a folder in /tmp.
env = dict(os.environ)
env.pop("XDG_RUNTIME_DIR")
proc = subprocess.Popen([e.PROGRAM], cwd=e.HOME, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
e.wait_window("Quenlark")
private_runtime = os.path.join(e.DATA_DIR, "runtime")
e.check(os.path.isdir(private_runtime) and mode(private_runtime) == 0o700, "private run-time folder in the data folder")
# The folder made up for Qt is no runtime folder of the user's: the lock lies
# in the data folder itself, where a lock nobody can vouch for is taken over.
e.check(os.path.exists(os.path.join(e.DATA_DIR, "quenlark.lock")), "lock in the data folder")
e.check(not os.path.exists(os.path.join(private_runtime, "quenlark.lock")), "no lock in the made-up run-time folder")
e.close_window("Quenlark")
e.wait_exit(proc)
new = tmp_entries() - before
ours = [n for n in new if "runtime" in n or "uenlark" in n or n.startswith("qlk")]
e.check(not ours, "nothing of ours in /tmp: " + ", ".join(ours))

# A lock file nobody can vouch for (garbage from another machine sharing the
# home) does not keep the program from starting, and with a space in the data
# folder's path and no runtime folder the compile button still gets a
# space-free folder (in a private folder of its own, gone at exit).
spaced_data = os.path.join(e.HOME, "my data")
os.makedirs(os.path.join(spaced_data, "Quenlark"))
lock = os.path.join(spaced_data, "Quenlark", "quenlark.lock")
with open(lock, "wb") as f:
    f.write(b"\x00garbage from elsewhere\n")
os.utime(lock, (1, 1))
env["XDG_DATA_HOME"] = spaced_data
before = tmp_entries()
proc = subprocess.Popen([e.PROGRAM], cwd=e.HOME, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
e.wait_window("Quenlark")
main = e.find(e.app(), name="Quenlark", role=pyatspi.ROLE_FRAME)
e.press(e.find(main, name="ｺﾝﾊﾟｲﾙ実行", role=pyatspi.ROLE_PUSH_BUTTON))
made = lambda: [n for n in tmp_entries() - before if n.startswith("quenlark-")]
e.wait_for(lambda: made() and os.listdir(os.path.join("/tmp", made()[0])), 10, what="private alias folder")
alias_root = os.path.join("/tmp", made()[0])
e.check(mode(alias_root) == 0o700, "private alias folder is 0700")
link = os.path.join(alias_root, os.listdir(alias_root)[0])
e.check(" " not in link and os.path.realpath(link) == spaced, "space-free alias of the folder")
e.close_window("Quenlark")
e.wait_exit(proc)
e.check(not os.path.exists(alias_root), "private alias folder gone at exit")
e.check(os.path.exists(os.path.join(spaced, "Hello.java")), "the user's folder untouched")
e.finish()
