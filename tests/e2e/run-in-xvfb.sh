#!/bin/bash
# Runs one end-to-end test against the real program: a private X server with a
# window manager, a session bus with accessibility on, and fresh HOME and XDG
# folders, all removed afterwards.
#   run-in-xvfb.sh COMMAND [ARGS...]
set -u
work=$(mktemp -d "${TMPDIR:-/tmp}/qlk-e2e.XXXXXX")
chmod 700 "$work"
cleanup() {
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null
    [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb takes the first display that no other server holds, also one whose
# socket only shows in another root or chroot (the abstract socket is shared),
# and writes its number into the file.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
x_pid=$!
for _ in $(seq 1 200); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
display=":$(head -n 1 "$work/display")"
export DISPLAY="$display"
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!

# QLK_E2E_HOME keeps one HOME across runs (a user's own, as in the package check).
export HOME="${QLK_E2E_HOME:-$work/home}"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export QLK_E2E_WORK="$work"
# Let the window manager come up before the test starts windows.
for _ in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
dbus-run-session -- "$@"
