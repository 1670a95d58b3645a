#!/bin/bash
# Proof on a clean machine that the Debian package installs and works: in a
# fresh Debian 12 chroot, `apt install ./quenlark_….deb` pulls in what it
# needs; a new user with a fresh HOME starts /usr/bin/quenlark under Xvfb,
# compiles and runs Hello from a folder with a space, and edits compile.bat in
# their copy; an upgrade to a rebuilt package with a changed apli.bat keeps
# the edit and refreshes apli.bat; removing the package leaves the user's
# files alone.
#
# Needs root, debootstrap and network to the Debian mirror, which it reads
# from this machine's apt sources (tools/debian-mirror.sh), so it is not part
# of ./test.sh. Takes a few minutes plus the downloads.
#   tools/deb-chroot-check.sh
# QLK_CHROOT_BASE  the debootstrap result, made once and reused
#                  (default /var/tmp/quenlark-bookworm-base)
# QLK_CHROOT_WORK  packages and the chroot of this run, made anew
#                  (default /var/tmp/quenlark-deb-check)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/tools/debian-mirror.sh"
base=${QLK_CHROOT_BASE:-/var/tmp/quenlark-bookworm-base}
work=${QLK_CHROOT_WORK:-/var/tmp/quenlark-deb-check}
mirror=$(qlk_debian_mirror)
security=$(qlk_debian_mirror security 2>/dev/null) || security=
jail=$work/root

[ "$(id -u)" -eq 0 ] || { echo "Run as root: the check makes a chroot." >&2; exit 2; }
for tool in debootstrap cmake cpack chroot; do
    command -v "$tool" >/dev/null || { echo "Missing $tool (apt-get install debootstrap cmake)." >&2; exit 2; }
done

passed=0 failed=0
step() { echo; echo "== $*"; }
check() { # check WHAT COMMAND...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1)); echo "ok: $what"
    else
        failed=$((failed + 1)); echo "FAIL: $what"
    fi
}
mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
in_jail() { chroot "$jail" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"; }
as_learner() { in_jail runuser -u learner -- env -i PATH=/usr/bin:/bin HOME=/home/learner LANG=C.UTF-8 \
    TMPDIR=/tmp QLK_E2E_HOME=/home/learner QLK_E2E_DIR=/opt/qlk-check/e2e \
    /opt/qlk-check/e2e/run-in-xvfb.sh /usr/bin/python3 /opt/qlk-check/learner.py /usr/bin/quenlark "$@"; }

version=$(sed -n 's/^project(Quenlark VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
upgrade="$version+1"
marker="apli.bat from the upgraded package"

step "Building quenlark $version, and $upgrade with a changed apli.bat"
rm -rf "$work"
mkdir -p "$work/src-a" "$work/src-b"
(cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 tar cf "$work/src.tar")
tar xf "$work/src.tar" -C "$work/src-a"
tar xf "$work/src.tar" -C "$work/src-b"
sed -i "/^exec java/i echo \"$marker\"" "$work/src-b/data/apli.bat"
grep -q "$marker" "$work/src-b/data/apli.bat" || { echo "apli.bat has no 'exec java' line to change" >&2; exit 1; }
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
for pair in "a:$version" "b:$upgrade"; do
    tree=${pair%%:*} ver=${pair#*:}
    cmake -S "$work/src-$tree" -B "$work/build-$tree" -DCMAKE_BUILD_TYPE=Release -DQLK_TESTS=OFF \
        -DCPACK_DEBIAN_PACKAGE_VERSION="$ver" "${launcher[@]}" >/dev/null
    cmake --build "$work/build-$tree" -j2 >/dev/null
    (cd "$work/build-$tree" && cpack -G DEB >/dev/null)
done
deb_a=quenlark_${version}_amd64.deb deb_b=quenlark_${upgrade}_amd64.deb
ls -l "$work/build-a/$deb_a" "$work/build-b/$deb_b"

step "A fresh Debian 12 system"
if [ ! -f "$base/etc/debian_version" ]; then
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror"
fi
cp -a "$base" "$jail"
cat /etc/resolv.conf >"$jail/etc/resolv.conf"
{
    echo "deb $mirror bookworm main"
    echo "deb $mirror bookworm-updates main"
    [ -z "$security" ] || echo "deb $security bookworm-security main"
} >"$jail/etc/apt/sources.list"
printf '#!/bin/sh\nexit 101\n' >"$jail/usr/sbin/policy-rc.d" && chmod 755 "$jail/usr/sbin/policy-rc.d"
mount -t proc proc "$jail/proc" && mounted+=("$jail/proc")
mount -t sysfs sysfs "$jail/sys" && mounted+=("$jail/sys")
mount --bind /dev "$jail/dev" && mounted+=("$jail/dev")
mount --bind /dev/pts "$jail/dev/pts" && mounted+=("$jail/dev/pts")
# The learner's shared memory: the folder under the bound /dev is root's.
mount -t tmpfs -o mode=1777 tmpfs "$jail/dev/shm" && mounted+=("$jail/dev/shm")
mount -t tmpfs -o mode=1777 tmpfs "$jail/tmp" && mounted+=("$jail/tmp")
mkdir -m 1777 "$jail/tmp/.X11-unix"
echo "debian_version $(cat "$jail/etc/debian_version"), $(in_jail dpkg-query -W -f='.\n' | wc -l) packages"

step "apt install ./$deb_a"
cp "$work/build-a/$deb_a" "$work/build-b/$deb_b" "$jail/root/"
in_jail apt-get update -q >/dev/null
start=$(date +%s)
in_jail sh -c "cd /root && apt-get install -y -q ./$deb_a" >"$work/install.log" 2>&1 ||
    { tail -30 "$work/install.log"; exit 1; }
echo "installed in $(($(date +%s) - start)) s; $(grep -m1 '^[0-9]* upgraded, [0-9]* newly installed' "$work/install.log")"
check "quenlark $version is installed" test "$(in_jail dpkg-query -W -f='${Version}' quenlark)" = "$version"
check "/usr/bin/quenlark leads to /usr/lib/quenlark/quenlark" \
    test "$(in_jail readlink -f /usr/bin/quenlark)" = /usr/lib/quenlark/quenlark
check "the package brought a JDK (javac)" in_jail sh -c 'command -v javac >/dev/null'
check "the package brought xdg-open" in_jail sh -c 'command -v xdg-open >/dev/null'
check "the package brought a Japanese font" in_jail sh -c 'ls /usr/share/fonts/opentype/noto/NotoSansCJK* >/dev/null 2>&1 ||
    ls /usr/share/fonts/truetype/*/*gothic* >/dev/null 2>&1'
check "every library of the program is there" in_jail sh -c '! ldd /usr/lib/quenlark/quenlark | grep "not found"'
check "every library of Qt's X11 platform is there" \
    in_jail sh -c '! ldd /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so | grep "not found"'

step "The test tools, and a learner with a fresh HOME"
in_jail apt-get install -y -q --no-install-recommends xvfb openbox wmctrl xdotool x11-utils dbus \
    at-spi2-core python3 python3-pyatspi >"$work/tools.log" 2>&1 || { tail -30 "$work/tools.log"; exit 1; }
mkdir -p "$jail/opt/qlk-check"
cp -r "$src/tests/e2e" "$jail/opt/qlk-check/e2e"
cp "$src/tools/deb-check/learner.py" "$jail/opt/qlk-check/"
in_jail useradd -m -s /bin/bash learner
ls -A "$jail/home/learner" | tr '\n' ' '
echo

step "First start, Hello, and an edited compile.bat"
as_learner first && first=0 || first=$?
check "the learner's first session" test "$first" -eq 0

step "Upgrade to $upgrade"
in_jail sh -c "cd /root && apt-get install -y -q ./$deb_b" >"$work/upgrade.log" 2>&1 ||
    { tail -30 "$work/upgrade.log"; exit 1; }
check "quenlark $upgrade is installed" test "$(in_jail dpkg-query -W -f='${Version}' quenlark)" = "$upgrade"
as_learner upgraded && second=0 || second=$?
check "the learner's session after the upgrade" test "$second" -eq 0

step "Removing the package"
in_jail apt-get purge -y -q quenlark >"$work/purge.log" 2>&1 || { tail -30 "$work/purge.log"; exit 1; }
copy=$jail/home/learner/.local/share/Quenlark/program
check "the program is gone" test ! -e "$jail/usr/lib/quenlark"
check "the learner's compile.bat, with the edit, is still there" \
    grep -q "compile.bat edited by the learner" "$copy/compile.bat"
check "the learner's apli.bat is still there" grep -q "$marker" "$copy/apli.bat"
check "the learner's settings are still there" test -s "$jail/home/learner/.config/Quenlark/Quenlark.ini"
check "Hello.class is still there" test -f "$jail/home/learner/My Java Files/Hello.class"

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
