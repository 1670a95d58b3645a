"""ｺﾝﾊﾟｲﾙ実行 through the warm compile server Quenlark starts: the compile is
shown and counted as with javac, and the server did it; a socket that
another user owns is refused (javac compiles) and the server is replaced."""
import os
import socket
import sys

sys.path.insert(0, os.path.dirname(__file__))
import qlk_e2e as e

FOLDER = os.path.join(e.HOME, "java")
os.makedirs(FOLDER, exist_ok=True)
SOCKET = os.path.join(os.environ["XDG_RUNTIME_DIR"], "quenlark-compiler", "socket")


def source(text):
    with open(os.path.join(FOLDER, "Hello.java"), "w", encoding="utf-8") as f:
        f.write(text)


def server_state():
    """The server's pid and compile count, from its state request; None
    while none answers."""
    try:
        with socket.socket(socket.AF_UNIX) as s:
            s.settimeout(5)
            s.connect(SOCKET)
            s.sendall(b"QLK1S")
            text = b""
            while chunk := s.recv(256):
                text += chunk
    except OSError:
        return None
    fields = dict(f.split("=") for f in text[5:].decode().split())
    return int(fields["pid"]), int(fields["compiles"])


def compile_and_wait(done):
    qlk.press("ｺﾝﾊﾟｲﾙ実行")
    e.wait_window("出力結果")
    e.wait_for(lambda: done in qlk.status() or done in qlk.result_text(), 60, 0.2, what=done)


source('public class Hello {\n    public static void main(String[] a) {\n        int x = 1\n    }\n}\n')
qlk = e.Session({"JavaFileFolder0": FOLDER, "SelectedFolder": " 0"})
qlk.set_name("Hello")
pid, count = e.wait_for(server_state, 120, 0.5, what="the compile server started after the window")

compile_and_wait("エラー 1")
e.check("Hello.java:3: error: ';' expected" in qlk.result_text(), "the compile error shows as with javac")
e.check("終了" in qlk.status(), "the status line shows the compile ended")
e.check(server_state() == (pid, count + 1), "the server did the compile")

source('public class Hello {\n    public static void main(String[] a) {\n        System.out.println("やあ");\n    }\n}\n')
compile_and_wait("コンパイルが終わりました: Hello.java")
e.check(os.path.isfile(os.path.join(FOLDER, "Hello.class")), "the class is written beside its source")
e.check(server_state() == (pid, count + 2), "the server did the second compile too")

# A socket given to another user: the client refuses it and javac compiles;
# Quenlark replaces the server at that compile.
if os.getuid() == 0:
    os.remove(os.path.join(FOLDER, "Hello.class"))
    os.chown(SOCKET, 65534, 65534)
    qlk.press("ｺﾝﾊﾟｲﾙ実行")
    e.wait_for(lambda: os.path.isfile(os.path.join(FOLDER, "Hello.class")), 60, 0.2, what="the class")
    qlk.wait_result("コンパイルが終わりました: Hello.java")
    e.check(True, "javac compiled instead")
    new = e.wait_for(server_state, 120, 0.5, what="a new server")
    e.check(new[0] != pid and os.stat(SOCKET).st_uid == os.getuid(), "the server was replaced with the user's own")

qlk.proc.terminate()
e.wait_exit(qlk.proc)
e.wait_for(lambda: not os.path.exists(SOCKET), 15, 0.2, what="the server ended with Quenlark")
e.check(True, "the server ends when Quenlark does")
e.finish()
