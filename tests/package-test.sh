#!/bin/bash
# The Debian package of a build: the system layout (program and its files in
# /usr/lib/quenlark, the command, desktop entry, icons, metainfo, man page and
# copyright), scripts still executable, the dependencies a learner needs, and
# nothing written outside the package. The desktop entry and the metainfo go
# through their validators and the package through lintian; a missing
# validator is a failure, never a pass (test.sh installs them).
#   package-test.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/share"
mkdir -p "$HOME"
fail() { echo "FAIL: $*"; exit 1; }
command -v dpkg-shlibdeps >/dev/null || fail "dpkg-shlibdeps missing (apt-get install dpkg-dev)"
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate missing (apt-get install desktop-file-utils)"
command -v appstreamcli >/dev/null || fail "appstreamcli missing (apt-get install appstream)"
command -v lintian >/dev/null || fail "lintian missing (apt-get install lintian)"

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/quenlark_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no quenlark_*_amd64.deb"
dpkg-deb -c "$deb" | awk '{print $1, $6, $7, $8}' | sed 's| \./| /|; s| *$||' >"$work/list"

for path in /usr/lib/quenlark/quenlark /usr/lib/quenlark/quenlark-run /usr/lib/quenlark/compile.bat /usr/lib/quenlark/apli.bat \
    /usr/lib/quenlark/applet.bat /usr/lib/quenlark/notepad.exe /usr/lib/quenlark/temp.java \
    /usr/lib/quenlark/result.txt /usr/lib/quenlark/Quenlark.hlp /usr/share/quenlark/quenlark-viewer.jar \
    /usr/share/quenlark/quenlark-applet-api.jar \
    /usr/share/applications/org.quenlark.Quenlark.desktop \
    /usr/share/metainfo/org.quenlark.Quenlark.metainfo.xml \
    /usr/share/icons/hicolor/16x16/apps/quenlark.png /usr/share/icons/hicolor/128x128/apps/quenlark.png \
    /usr/share/man/man1/quenlark.1.gz /usr/share/doc/quenlark/copyright /usr/share/doc/quenlark/changelog.gz; do
    grep -q " $path\$" "$work/list" || fail "$path not in the package"
done
grep -q '^l.* /usr/bin/quenlark -> \.\./lib/quenlark/quenlark$' "$work/list" || fail "no /usr/bin/quenlark link"
grep -q '^l.* /usr/lib/quenlark/quenlark-viewer.jar -> \.\./\.\./share/quenlark/quenlark-viewer.jar$' "$work/list" ||
    fail "the applet viewer is not linked in beside the program"
grep -q '^l.* /usr/lib/quenlark/quenlark-applet-api.jar -> \.\./\.\./share/quenlark/quenlark-applet-api.jar$' "$work/list" ||
    fail "our Applet API is not linked in beside the program"
for script in compile.bat apli.bat applet.bat notepad.exe; do
    grep -q "^-rwxr-xr-x /usr/lib/quenlark/$script\$" "$work/list" || fail "$script not executable"
done
# The compile server and its client beside the program.
grep -q "^-rwxr-xr-x /usr/lib/quenlark/quenlark-javac\$" "$work/list" || fail "quenlark-javac not in the package"
grep -q " /usr/lib/quenlark/quenlark-compiler.jar\$" "$work/list" || fail "quenlark-compiler.jar not in the package"
grep -v ' /usr/' "$work/list" | grep -v ' /$' && fail "files outside /usr"
grep -q '\.quenlark-installed' "$work/list" && fail "a portable install's manifest in the package"
grep -q ' /usr/lib/quenlark/\.quenlark-shipped$' "$work/list" || fail "the list of the files beside the program not in the package"
[ -e "$XDG_DATA_HOME/applications" ] && fail "packing wrote a desktop entry into the builder's home"

depends=$(dpkg-deb -f "$deb" Depends)
for need in "default-jdk | java-sdk" xdg-utils libqt6widgets6 libc6; do
    case "$depends" in *"$need"*) ;; *) fail "Depends lacks $need: $depends" ;; esac
done

desktop-file-validate "$source/packaging/org.quenlark.Quenlark.desktop" || fail "desktop entry"
# AppStream 1.0 and later ask for a homepage (url-homepage-missing, a
# warning). The project has no address yet, and none is made up: that one
# tag counts as an info, and lintian's report of it is overridden in
# packaging/quenlark.lintian-overrides. Older validators do not know the tag
# and ask for no homepage. Every other finding fails as before, in the
# metainfo alone and in the package's tree as lintian checks it.
as_override=--override=url-homepage-missing=info
appstreamcli validate --no-net "$as_override" "$source/packaging/org.quenlark.Quenlark.metainfo.xml" \
    >"$work/as.log" 2>&1 || true
grep -q "'url-homepage-missing' is not recognized" "$work/as.log" && as_override=
appstreamcli validate --no-net $as_override "$source/packaging/org.quenlark.Quenlark.metainfo.xml" \
    >"$work/as.log" 2>&1 || { cat "$work/as.log"; fail "metainfo"; }
mkdir "$work/tree"
dpkg-deb -x "$deb" "$work/tree"
appstreamcli validate-tree --no-net $as_override "$work/tree" >"$work/as-tree.log" 2>&1 ||
    { cat "$work/as-tree.log"; fail "metainfo in the package"; }
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian"; }
echo "1 passed, 0 failed"
