#!/bin/bash
# Installing twice into one folder: the program and its files land beside
# each other, an edited script survives the reinstall, an unedited one is
# refreshed, and the desktop entry points at the installed program.
#   install-test.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/share"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/q" >/dev/null
[ -x "$work/q/quenlark" ] || fail "program not installed"
[ -x "$work/q/quenlark-run" ] || fail "the runs' supervisor not installed"
for f in compile.bat apli.bat applet.bat temp.java temp.html temp.htm result.txt notepad.exe Quenlark.hlp; do
    [ -f "$work/q/$f" ] || fail "$f not beside the program"
done
[ -x "$work/q/compile.bat" ] || fail "scripts lost their mode"
[ -s "$work/q/quenlark-viewer.jar" ] || fail "the applet viewer is not beside the program"
[ -s "$work/q/quenlark-applet-api.jar" ] || fail "our Applet API is not beside the program"
[ -x "$work/q/quenlark-javac" ] && [ -f "$work/q/quenlark-compiler.jar" ] || fail "compile server not beside the program"

echo "# edited by the user" >>"$work/q/compile.bat"
# temp.java as an older release shipped it, never touched by the user.
cp "$work/q/temp.java" "$work/shipped-java"
echo "// older template" >"$work/q/temp.java"
old=$(sha256sum "$work/q/temp.java" | cut -d' ' -f1)
sed -i "s/^[0-9a-f]*  temp.java\$/$old  temp.java/" "$work/q/.quenlark-installed"
cmake --install "$build" --prefix "$work/q" >/dev/null
tail -n 1 "$work/q/compile.bat" | grep -q "edited by the user" || fail "edited script overwritten"
cmp -s "$work/q/temp.java" "$work/shipped-java" || fail "unedited template not refreshed"

desktop="$XDG_DATA_HOME/applications/quenlark.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -q "^Exec=\"$work/q/quenlark\"" "$desktop" || fail "desktop entry does not start the installed program"
[ -f "$XDG_DATA_HOME/icons/hicolor/32x32/apps/quenlark.png" ] || fail "no icon"

# A staged install (DESTDIR set, as packagers do) lands under DESTDIR and
# writes nothing into the home of whoever runs it.
rm -rf "$XDG_DATA_HOME"
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/q >/dev/null
[ -x "$work/stage/opt/q/quenlark" ] || fail "staged install not under DESTDIR"
[ -e "$XDG_DATA_HOME/applications/quenlark.desktop" ] && fail "staged install wrote a desktop entry into the home"
[ -d "$work/stage/opt/q/lib" ] && fail "the package's layout leaked into a plain install"
echo "1 passed, 0 failed"
