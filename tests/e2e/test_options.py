"""The settings dialog and the browser buttons, as a user meets them."""
import os
import stat
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import pyatspi
import qlk_e2e as e


PAGES = ("Javaﾌｫﾙﾀﾞ選択", "エディタ選択", "ブラウザ選択", "その他\u3000")


def selected_page(dialog):
    """The caption of the page on show."""
    for page in e.find_all(dialog, role=pyatspi.ROLE_FILLER):
        if page.name in PAGES and page.getState().contains(pyatspi.STATE_SHOWING):
            return page.name
    return None


def type_into(node, text):
    node.queryComponent().grabFocus()
    time.sleep(0.3)
    e.type_text(text)
    time.sleep(0.3)


java = os.path.join(e.HOME, "java")
os.makedirs(java)
with open(os.path.join(java, "Hello.html"), "w") as f:
    f.write("<html></html>\n")
# A stand-in browser under a folder with a space: it records its arguments.
browser_dir = os.path.join(e.HOME, "my browser")
os.makedirs(browser_dir)
browser = os.path.join(browser_dir, "web")
record = os.path.join(e.WORK, "browser-args.txt")
with open(browser, "w") as f:
    f.write('#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done > "%s"\n' % record)
os.chmod(browser, stat.S_IRWXU)

# A fresh store: the folder message, then the dialog on its first page.
proc = e.start()
e.wait_window("ﾌｫﾙﾀﾞ選択")
e.key("Return", window="ﾌｫﾙﾀﾞ選択")
e.wait_window("設定")
a = e.app()
dialog = e.find(a, name="設定", role=pyatspi.ROLE_DIALOG)
e.check(selected_page(dialog) == "Javaﾌｫﾙﾀﾞ選択", "the dialog opens on its first page")
ok = e.find(dialog, name="OK", role=pyatspi.ROLE_PUSH_BUTTON)
apply_button = e.find(dialog, name="更新", role=pyatspi.ROLE_PUSH_BUTTON)
e.check(not e.enabled(ok) and not e.enabled(apply_button), "OK and 更新 start disabled")

# Typing a folder and pressing Enter applies nothing.
type_into(e.find(dialog, name="ﾊﾟｽ１のフォルダ"), java)
e.key("Return")
time.sleep(0.5)
e.check("設定" in e.windows(), "Enter in a folder box leaves the dialog open")
e.check("JavaFileFolder0" not in e.read_ini().get("setting", {}), "Enter in a folder box writes nothing")
e.check(e.enabled(ok) and e.enabled(apply_button), "an edit enables OK and 更新")
e.screenshot(os.path.join(e.WORK, "options-first-page.png"))
e.press(ok)
e.wait_no_window("設定")
e.check(e.read_ini().get("setting", {}).get("JavaFileFolder0") == java, "OK writes the folder")
main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME)
e.check(e.tooltip_of(e.find(main, name="フォルダ1")) == java, "the folder button's tooltip shows the folder")
e.close_window("Quenlark")
e.check(e.wait_exit(proc) == 0, "program ends")

# Restart: the folder survived, so no message; the tooltip shows it.
proc = e.start()
e.wait_window("Quenlark")
time.sleep(1.0)
e.check("ﾌｫﾙﾀﾞ選択" not in e.windows() and "設定" not in e.windows(), "no folder message after a restart")
a = e.app()
main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME)
e.check(e.tooltip_of(e.find(main, name="フォルダ1")) == java, "the folder survives a restart")

# A browser button with no browser set: the message, then the browser page.
e.press_key("Quenlark", e.find(main, name="ブラウザ1"))
e.wait_window("ﾌﾞﾗｳｻﾞの設定")
e.key("Return", window="ﾌﾞﾗｳｻﾞの設定")
e.wait_window("設定")
dialog = e.find(a, name="設定", role=pyatspi.ROLE_DIALOG)
e.check(selected_page(dialog) == "ブラウザ選択", "the browser button opens the browser page")
type_into(e.find(dialog, name="ブラウザ１のパス"), browser)
e.press(e.find(dialog, name="更新", role=pyatspi.ROLE_PUSH_BUTTON))
time.sleep(0.5)
e.check(e.read_ini().get("setting", {}).get("Browser0") == browser, "更新 writes the browser")
e.check(e.tooltip_of(e.find(main, name="ブラウザ1")) == browser, "the browser button's tooltip shows its path")
e.key("Escape", window="設定")
e.wait_no_window("設定")

# The browser starts with the page of the class in the name box.
e.activate_window("Quenlark")
name_box = e.find(e.find(main, name="クラス名", role=pyatspi.ROLE_COMBO_BOX), role=pyatspi.ROLE_TEXT)
type_into(name_box, "Hello")
e.check(e.text_of(name_box) == "Hello", "the name is typed into the name box")
names = [n.name for n in e.find_all(main, role=pyatspi.ROLE_COMBO_BOX)]
e.check(names == ["クラス名"], "the name box keeps its name with a name typed: %r" % names)
e.press_key("Quenlark", e.find(main, name="ブラウザ1"))
e.wait_for(lambda: os.path.exists(record) and open(record).read(), what="the stand-in browser to run")
e.check(open(record).read().splitlines() == [os.path.join(java, "Hello.html")],
        "the browser gets the page as its one argument")
time.sleep(0.5)
e.check(e.read_ini().get("recent", {}).get("0") == "Hello", "the name goes into the history")

# The history size is read out: a fixed name, the number as its text and value.
e.press_key("Quenlark", e.find(main, name="設定", role=pyatspi.ROLE_PUSH_BUTTON))
e.wait_window("設定")
dialog = e.find(a, name="設定", role=pyatspi.ROLE_DIALOG)
e.press(e.find(dialog, name=PAGES[3], role=pyatspi.ROLE_PAGE_TAB))
e.wait_for(lambda: selected_page(dialog) == PAGES[3], what="the last page")
size = e.find(dialog, name="履歴数の値")
e.check(e.text_of(size) == "10" and size.queryValue().currentValue == 10,
        "the history size reads 10 as text and value: %r" % e.text_of(size))
e.find(dialog, name="履歴数", role=pyatspi.ROLE_SCROLL_BAR).queryValue().currentValue = 12
e.wait_for(lambda: e.text_of(size) == "12", what="the label to follow the bar")
e.check([n.name for n in e.find_all(dialog, role=pyatspi.ROLE_LABEL) if e.text_of(n) == "12"] == ["履歴数の値"],
        "the label keeps its name and shows the new size as its text")
e.check(size.queryValue().currentValue == 12, "the new size is the label's value")
e.key("Escape", window="設定")
e.wait_no_window("設定")
e.close_window("Quenlark")
e.wait_exit(proc)
e.finish()
