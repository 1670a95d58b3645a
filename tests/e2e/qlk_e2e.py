"""Helpers for end-to-end tests of the real program under Xvfb.

Run through run-in-xvfb.sh, which provides DISPLAY, a session bus with
accessibility, a window manager and fresh HOME/XDG folders.
"""
import os
import subprocess
import sys
import time

import pyatspi

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
HOME = os.environ["HOME"]
CONFIG_INI = os.path.join(os.environ["XDG_CONFIG_HOME"], "Quenlark", "Quenlark.ini")
DATA_DIR = os.path.join(os.environ["XDG_DATA_HOME"], "Quenlark")
WORK = os.environ.get("QLK_E2E_WORK", HOME)

# Bring the accessibility bus and registry up before any program starts, so
# the program registers itself with it.
_DESKTOP = pyatspi.Registry.getDesktop(0)

_failures = []
_passes = 0


def check(condition, what):
    global _passes
    if condition:
        _passes += 1
        print("ok:", what, flush=True)
    else:
        _failures.append(what)
        print("FAIL:", what, flush=True)


def finish():
    print(f"{_passes} passed, {len(_failures)} failed", flush=True)
    sys.exit(1 if _failures else 0)


def wait_for(predicate, timeout=15.0, interval=0.1, what="condition"):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(interval)


def start(program=None, cwd=None, env=None):
    full_env = dict(os.environ)
    if env:
        full_env.update(env)
    return subprocess.Popen([program or PROGRAM], cwd=cwd or HOME, env=full_env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def windows():
    """Titles of the top-level windows the window manager knows."""
    out = subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout
    titles = []
    for line in out.splitlines():
        parts = line.split(None, 3)
        if len(parts) == 4:
            titles.append(parts[3])
    return titles


def wait_window(title, timeout=15.0):
    return wait_for(lambda: title in windows(), timeout, what="window " + title)


def wait_no_window(title, timeout=15.0):
    return wait_for(lambda: title not in windows(), timeout, what="no window " + title)


def close_window(title):
    """Closes a window the way a user does, with its close box."""
    subprocess.run(["wmctrl", "-c", title], check=False)


def activate_window(title):
    subprocess.run(["wmctrl", "-a", title], check=False)


_MODIFIERS = {"alt", "ctrl", "control", "shift", "super", "meta"}
_xlib = None


def _keycode(name):
    """The key that gives the keysym `name` with no modifier held, as a
    keycode for xdotool; None when no key gives it alone.

    xdotool looks a keysym up on every level of the keyboard map and may
    take a level that needs a modifier: with newer keyboard maps, whose
    function keys give the same keysym on their Alt level too, `xdotool key
    F4` presses Alt with it (Alt+F4 closes the window). A keycode is pressed
    as it is, so the key arrives as a learner's keyboard sends it."""
    global _xlib
    if _xlib is None:
        import ctypes
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XStringToKeysym.restype = ctypes.c_ulong
        x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XkbKeycodeToKeysym.restype = ctypes.c_ulong
        x11.XkbKeycodeToKeysym.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int, ctypes.c_int]
        _xlib = (x11, x11.XOpenDisplay(None))
    x11, display = _xlib
    sym = x11.XStringToKeysym(name.encode())
    code = x11.XKeysymToKeycode(display, sym) if sym and display else 0
    # xdotool reads a number as a keycode only where it is no keysym name:
    # the digits 0 to 9 are names of their own.
    if code < 10 or x11.XkbKeycodeToKeysym(display, code, 0, 0) != sym:
        return None
    return str(code)


def _chord(chord):
    """A chord such as "ctrl+shift+F4" with its keys as plain keycodes."""
    parts = chord.split("+")
    keys = [p if p.lower() in _MODIFIERS else (_keycode(p) or p) for p in parts]
    return "+".join(keys)


def key(*keys, window=None):
    if window:
        activate_window(window)
        time.sleep(0.2)
    subprocess.run(["xdotool", "key", "--delay", "60", *map(_chord, keys)], check=False)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=False)


def app(name="Quenlark", timeout=20.0):
    def find():
        desktop = pyatspi.Registry.getDesktop(0)
        for a in desktop:
            if a is not None and a.name == name:
                return a
        return None
    return wait_for(find, timeout, what="accessible application " + name)


def _walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from _walk(child, depth + 1)


def find_all(root, name=None, role=None):
    """The nodes under `root` with that accessible name and role. A role is
    a pyatspi.ROLE_* constant: its name differs between AT-SPI versions
    ("push button" became "button"), the constant does not."""
    if isinstance(role, str):
        raise TypeError(f"role {role!r}: give a pyatspi.ROLE_* constant, not a role name")
    out = []
    for node in _walk(root):
        try:
            if name is not None and node.name != name:
                continue
            if role is not None and node.getRole() != role:
                continue
        except Exception:
            continue
        out.append(node)
    return out


def find(root, name=None, role=None, timeout=10.0):
    return wait_for(lambda: (find_all(root, name, role) or [None])[0], timeout,
                    what=f"accessible {'' if role is None else role} {name or ''}")


def window_node(application, title, timeout=10.0):
    return find(application, name=title, timeout=timeout)


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "click", "Press", "activate", "toggle"):
            action.doAction(i)
            return
    action.doAction(0)


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def press_key(window, node, keys="space"):
    """Presses a button from the keyboard; a box it opens does not block us."""
    activate_window(window)
    time.sleep(0.3)
    node.queryComponent().grabFocus()
    time.sleep(0.3)
    key(keys)


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except Exception:
        return node.name


def tooltip_of(node):
    try:
        return node.description
    except Exception:
        return ""


def read_ini(path=CONFIG_INI):
    """Reads the store the way the program does."""
    sections, current = {}, ""
    if not os.path.exists(path):
        return sections
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.strip()
            if not line or line[0] in ";#":
                continue
            if line.startswith("[") and line.endswith("]"):
                current = line[1:-1].strip()
                continue
            if "=" not in line:
                continue
            k, v = line.split("=", 1)
            sections.setdefault(current, {})[k.strip()] = _decode(v.strip())
    return sections


def _decode(v):
    if len(v) < 2 or v[0] != '"' or v[-1] != '"':
        return v
    out, i, body = [], 0, v[1:-1]
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            e = body[i + 1]
            i += 2
            if e == "n":
                out.append("\n")
            elif e == "r":
                out.append("\r")
            elif e == "t":
                out.append("\t")
            elif e == "x" and i + 2 <= len(body):
                out.append(chr(int(body[i:i + 2], 16)))
                i += 2
            else:
                out.append(e)
            continue
        out.append(c)
        i += 1
    return "".join(out)


def write_ini(sections, path=CONFIG_INI):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        for name, keys in sections.items():
            f.write(f"[{name}]\n")
            for k, v in keys.items():
                if v != v.strip() or any(ch in v for ch in '"\\') or any(ord(ch) < 32 for ch in v):
                    v = '"' + v.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'
                f.write(f"{k}={v}\n")


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=False)


def wait_exit(proc, timeout=15.0):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        raise


RESULT_FILE = os.path.join(DATA_DIR, "result.txt")


class Session:
    """The program started on a store holding `settings` (the [setting]
    section), with its main window and class-name box found; the steps a user
    takes there and what the result window then shows."""

    def __init__(self, settings, program=None):
        write_ini({"setting": settings})
        self.proc = start(program)
        wait_window("Quenlark")
        self.app = app()
        self.main = find(self.app, name="Quenlark", role=pyatspi.ROLE_FRAME)
        self.name_box = find(find(self.main, role=pyatspi.ROLE_COMBO_BOX), role=pyatspi.ROLE_TEXT)

    def set_name(self, text):
        """Types a class name into the main window's name box."""
        self.name_box.queryEditableText().setTextContents(text)
        wait_for(lambda: text_of(self.name_box) == text, 5, what="name " + text)

    def press(self, caption):
        """Presses a button of the main window by its caption."""
        press(find(self.main, name=caption, role=pyatspi.ROLE_PUSH_BUTTON))

    def result_frame(self):
        """The result window, or None while it is not open."""
        frames = find_all(self.app, name="出力結果", role=pyatspi.ROLE_FRAME)
        return frames[0] if frames else None

    def result_text(self):
        """What the result window shows; "" while it is not open."""
        frame = self.result_frame()
        nodes = find_all(frame, name="出力結果の内容") if frame else []
        return text_of(nodes[0]) if nodes else ""

    def status(self):
        """The run's state on the result window's status line."""
        frame = self.result_frame()
        for node in find_all(frame, role=pyatspi.ROLE_LABEL) if frame else []:
            if tooltip_of(node) == "実行の状態":
                return node.name
        return ""

    def wait_result(self, fragment, timeout=60):
        try:
            return wait_for(lambda: fragment in self.result_text(), timeout, 0.1, what="result " + fragment)
        except TimeoutError:
            print("shown:", repr(self.result_text()[-300:]), "status:", self.status(), flush=True)
            if os.path.exists(RESULT_FILE):
                with open(RESULT_FILE, "rb") as f:
                    print("file:", f.read()[-300:], flush=True)
            raise

    def wait_status(self, fragment, timeout=30):
        return wait_for(lambda: fragment in self.status(), timeout, 0.1, what="status " + fragment)
