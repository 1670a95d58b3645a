"""Compile and run with the real JDK and the shipped scripts, as a user does:
a compile error shows in the result window, a correct class compiles and its
output shows, from a folder whose path has spaces and from a plain one."""
import os
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

SPACED = os.path.join(e.HOME, "My Java Files")
PLAIN = os.path.join(e.HOME, "java")
for folder in (SPACED, PLAIN):
    os.makedirs(folder, exist_ok=True)


def source(folder, name, text):
    with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
        f.write(text)


source(SPACED, "Broken.java", "public class Broken {\n    int x = \"text\"\n}\n")
source(SPACED, "Hello.java",
       'public class Hello {\n    public static void main(String[] a) {\n'
       '        System.out.println("こんにちは " + a.length);\n    }\n}\n')
source(PLAIN, "Count.java",
       'public class Count {\n    public static void main(String[] a) throws Exception {\n'
       '        for (int i = 1; i <= 3; i++) { System.out.println("count " + i); Thread.sleep(300); }\n'
       '    }\n}\n')

qlk = e.Session({"JavaFileFolder0": SPACED, "JavaFileFolder1": PLAIN})

# A compile error: javac's message shows in the result window.
qlk.set_name("Broken")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
e.wait_window("出力結果")
qlk.wait_result("error: ';' expected")
e.check("Broken.java:2" in qlk.result_text(), "compile error names the file and line")
e.check(not os.path.exists(os.path.join(SPACED, "Broken.class")), "nothing compiled")

# A correct class from the folder with spaces: compile, then run.
qlk.set_name("Hello")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
qlk.wait_result("コンパイルが終わりました: Hello.java")
e.check(os.path.isfile(os.path.join(SPACED, "Hello.class")), "Hello.class written beside its source")
e.check("error" not in qlk.result_text(), "the old error is gone from the window")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("こんにちは 0")
e.check(len(e.find_all(qlk.app, name="出力結果", role=pyatspi.ROLE_FRAME)) == 1, "one result window")

# The plain folder: output of a running program shows while it runs.
e.press(e.find(qlk.main, name="フォルダ2"))
qlk.set_name("Count")
qlk.press("ｺﾝﾊﾟｲﾙ実行")
qlk.wait_result("コンパイルが終わりました: Count.java")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
qlk.wait_result("count 1", 30)
early = qlk.result_text()
qlk.wait_result("count 3", 30)
e.check("count 3" not in early, "output shows while the program runs")

# A class that was never compiled: the message, nothing started, no history.
qlk.set_name("Nothing")
qlk.press("ｱﾌﾟﾘｹｰｼｮﾝ実行")
e.wait_window("classﾌｧｲﾙが見つかりません")
box = e.find(qlk.app, name="classﾌｧｲﾙが見つかりません")
e.check(any("Nothing.class をまだ作成していません。" in n.name for n in e.find_all(box)),
        "missing class message names the class")
e.key("Return", window="classﾌｧｲﾙが見つかりません")
e.wait_no_window("classﾌｧｲﾙが見つかりません")
e.check("count 3" in qlk.result_text(), "a failed test leaves the result alone")

# The result window closes on its own and remembers its place; the history
# keeps the names that ran, newest first.
e.close_window("出力結果")
e.wait_no_window("出力結果")
e.check("Quenlark" in e.windows(), "main window stays when the result window closes")
ini = e.read_ini()
s = ini.get("setting", {})
e.check(all(k in s for k in ("ResultTop", "ResultLeft", "ResultHeight", "ResultWidth")), "result geometry written")
e.check(s.get("ResultFormBefore") == "False", "result always-on-top written")
e.close_window("Quenlark")
e.check(e.wait_exit(qlk.proc) == 0, "program ends normally")
recent = e.read_ini().get("recent", {})
e.check([recent.get(str(i)) for i in range(4)] == ["Count", "Hello", "Broken", ""], "history of names that ran")
e.finish()
