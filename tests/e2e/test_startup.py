"""Start-up and shut-down of the real program, as a user meets them."""
import os
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

# First start with a fresh store: the folder message comes first.
proc = e.start()
e.wait_window("ﾌｫﾙﾀﾞ選択")
a = e.app()
box = e.find(a, name="ﾌｫﾙﾀﾞ選択")
e.check("Javaﾌｧｲﾙ(*.java)" in " ".join(n.name for n in e.find_all(box)), "folder message names the java files")
e.key("Return", window="ﾌｫﾙﾀﾞ選択")
e.wait_window("Quenlark")
main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME)
e.check(e.find(main, name="ｺﾝﾊﾟｲﾙ実行") is not None, "main window shows the compile button")
e.check(os.path.isfile(os.path.join(e.DATA_DIR, "result.txt")), "result.txt copied into the data folder")
e.check(os.stat(e.DATA_DIR).st_mode & 0o777 == 0o700, "data folder is private")

# Close it as a user would; shut-down writes the window state.
e.close_window("Quenlark")
e.check(e.wait_exit(proc) == 0, "program ends when the main window closes")
ini = e.read_ini()
s = ini.get("setting", {})
e.check(s.get("FormBefore") == "False", "FormBefore written as False")
e.check(s.get("SelectedFolder") == " 0", "SelectedFolder written as index text")
e.check(s.get("ShowBrowser") == "True" and s.get("ShowPath") == "True", "panel state written")
e.check(s.get("frmExectionTop", "").replace(".", "").isdigit(), "window position written")
e.check("JavaEdit" not in s and "Html" not in s, "defaults are not written back")
e.check(os.stat(e.CONFIG_INI).st_mode & 0o777 == 0o600, "store is private")

# Second start: a folder is configured, so no message; the saved panel state
# comes back; a second copy is refused and writes nothing.
ini.setdefault("setting", {})["JavaFileFolder0"] = e.HOME
ini["setting"]["ShowBrowser"] = "False"
e.write_ini(ini)
# A note of the user's in the store, a backup of theirs beside it, and an old
# temporary file of a write that a crash cut short.
with open(e.CONFIG_INI, "a", encoding="utf-8") as f:
    f.write("; my note\n")
config_dir = os.path.dirname(e.CONFIG_INI)
backup = os.path.join(config_dir, "Quenlark.ini.backup")
with open(backup, "w", encoding="utf-8") as f:
    f.write("my backup\n")
leftover = os.path.join(config_dir, ".Quenlark.ini.~quenlark-partial-Ab3dE9xZ")
with open(leftover, "w", encoding="utf-8") as f:
    f.write("[setting]\n")
os.utime(leftover, (time.time() - 3600, time.time() - 3600))
before = open(e.CONFIG_INI, encoding="utf-8").read()
proc = e.start()
e.wait_window("Quenlark")
e.check(not os.path.exists(leftover), "an old temporary file of the store is removed")
second = e.start()
e.wait_window("おしらせ")
e.key("Return", window="おしらせ")
e.check(e.wait_exit(second) == 0, "second copy ends after its notice")
e.check(open(e.CONFIG_INI, encoding="utf-8").read() == before, "second copy writes nothing")
e.check(os.path.exists(backup), "the user's backup beside the store survives both copies")
e.check("ﾌｫﾙﾀﾞ選択" not in e.windows(), "no folder message with a configured folder")
e.close_window("Quenlark")
e.wait_exit(proc)
e.check(e.read_ini()["setting"].get("ShowBrowser") == "False", "hidden browser panel stays hidden")
e.check("; my note\n" in open(e.CONFIG_INI, encoding="utf-8").read(), "the user's note in the store survives")
e.check(open(backup, encoding="utf-8").read() == "my backup\n", "the backup is untouched")
e.finish()
