"""What a learner does with the installed package, in three steps, under one
HOME kept across them (run through tests/e2e/run-in-xvfb.sh with
QLK_E2E_HOME set):

  learner.py /usr/bin/quenlark first     first start: the per-user copy is
        made, Hello compiles and runs from a folder with a space; then an
        edit of compile.bat in the copy is used by the next compile
  learner.py /usr/bin/quenlark upgraded  after an upgrade whose apli.bat
        changed: the edited compile.bat is kept and used, apli.bat is the
        new one and is used
"""
import os
import sys

import pyatspi

sys.path.insert(0, os.environ["QLK_E2E_DIR"])
import qlk_e2e as e

STEP = sys.argv[2]
INSTALLED = "/usr/lib/quenlark"
COPY = os.path.join(e.DATA_DIR, "program")
SPACED = os.path.join(e.HOME, "My Java Files")
EDIT = 'echo "compile.bat edited by the learner"'
UPGRADE = "apli.bat from the upgraded package"


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def start_main():
    proc = e.start()
    e.wait_window("Quenlark", 30)
    a = e.app(timeout=30)
    main = e.find(a, name="Quenlark", role=pyatspi.ROLE_FRAME)
    return proc, a, main


def set_name(main, text):
    box = e.find(e.find(main, role=pyatspi.ROLE_COMBO_BOX), role=pyatspi.ROLE_TEXT)
    box.queryEditableText().setTextContents(text)
    e.wait_for(lambda: e.text_of(box) == text, 5, what="name " + text)


def result_text(a):
    frames = e.find_all(a, name="出力結果", role=pyatspi.ROLE_FRAME)
    nodes = e.find_all(frames[0], name="出力結果の内容") if frames else []
    return e.text_of(nodes[0]) if nodes else ""


def run(a, main, caption, fragment):
    e.press(e.find(main, name=caption, role=pyatspi.ROLE_PUSH_BUTTON))
    e.wait_window("出力結果", 30)
    try:
        e.wait_for(lambda: fragment in result_text(a), 90, 0.2, what="result " + fragment)
    except TimeoutError:
        pass
    return result_text(a)


def quit_main(proc):
    e.close_window("Quenlark")
    e.check(e.wait_exit(proc, 30) == 0, "Quenlark ends when its window closes")


if STEP == "first":
    e.check(not os.path.exists(e.DATA_DIR), "a fresh HOME has no Quenlark data folder")
    os.makedirs(SPACED, exist_ok=True)
    with open(os.path.join(SPACED, "Hello.java"), "w", encoding="utf-8") as f:
        f.write('public class Hello {\n    public static void main(String[] a) {\n'
                '        System.out.println("こんにちは from the package");\n    }\n}\n')
    e.write_ini({"setting": {"JavaFileFolder0": SPACED}})

    proc, a, main = start_main()
    for name in ("compile.bat", "apli.bat", "applet.bat", "temp.java", "Quenlark.hlp"):
        e.check(os.path.isfile(os.path.join(COPY, name))
                and read(os.path.join(COPY, name)) == read(os.path.join(INSTALLED, name)),
                f"first start copied {name} into the per-user program folder")
    e.check(os.access(os.path.join(COPY, "compile.bat"), os.W_OK | os.X_OK),
            "the copied compile.bat is the learner's to edit and still runs")
    set_name(main, "Hello")
    text = run(a, main, "ｺﾝﾊﾟｲﾙ実行", "コンパイルが終わりました: Hello.java")
    e.check("コンパイルが終わりました: Hello.java" in text, "Hello compiles from a folder with a space")
    e.check(os.path.isfile(os.path.join(SPACED, "Hello.class")), "Hello.class written beside its source")
    text = run(a, main, "ｱﾌﾟﾘｹｰｼｮﾝ実行", "こんにちは from the package")
    e.check("こんにちは from the package" in text, "Hello runs and its output shows")
    quit_main(proc)

    # The learner edits compile.bat in their copy: one more line of output.
    script = os.path.join(COPY, "compile.bat")
    lines = read(script).splitlines(keepends=True)
    # Right after the line that sends all output into result.txt.
    at = next(i for i, line in enumerate(lines) if line.startswith("exec >>"))
    lines.insert(at + 1, EDIT + "\n")
    with open(script, "w", encoding="utf-8") as f:
        f.writelines(lines)

    proc, a, main = start_main()
    set_name(main, "Hello")
    text = run(a, main, "ｺﾝﾊﾟｲﾙ実行", "コンパイルが終わりました: Hello.java")
    e.check("compile.bat edited by the learner" in text, "the edited compile.bat is the one used")
    e.check(EDIT in read(script), "a restart keeps the edit")
    quit_main(proc)

elif STEP == "upgraded":
    script = os.path.join(COPY, "compile.bat")
    # The last compile of the first step left its output; start from nothing.
    open(os.path.join(e.DATA_DIR, "result.txt"), "w").close()
    proc, a, main = start_main()
    e.check(EDIT in read(script), "the upgrade kept the learner's compile.bat")
    e.check(UPGRADE in read(os.path.join(INSTALLED, "apli.bat")), "the upgraded package brings a new apli.bat")
    e.check(read(os.path.join(COPY, "apli.bat")) == read(os.path.join(INSTALLED, "apli.bat")),
            "the untouched apli.bat was refreshed from the package")
    set_name(main, "Hello")
    text = run(a, main, "ｺﾝﾊﾟｲﾙ実行", "コンパイルが終わりました: Hello.java")
    e.check("compile.bat edited by the learner" in text, "the kept compile.bat is still used")
    text = run(a, main, "ｱﾌﾟﾘｹｰｼｮﾝ実行", "こんにちは from the package")
    e.check(UPGRADE in text and "こんにちは from the package" in text, "the refreshed apli.bat is the one used")
    quit_main(proc)

e.finish()
