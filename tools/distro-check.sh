#!/bin/bash
# Proof that the README's two commands work on a fresh system of a supported
# Debian release: in a new debootstrap system it puts a clean clone of the
# project (the committed HEAD of the tree it is run from), runs
# `./run.sh --build-only` and `./test.sh` there as root, builds the Debian
# package, installs it with apt into a second fresh system and starts
# /usr/bin/quenlark under Xvfb as a new user. One verdict line per step.
#
# Needs root, debootstrap and the network to the Debian mirror, which it
# reads from this machine's apt sources; run by hand, never by CI (about half
# an hour to an hour a release).
#   tools/distro-check.sh RELEASE [--from STEP]
#   RELEASE  bookworm | trixie | sid
#   STEP     build (the default: everything, in a new system), test, package
#            or install: go on from that step in the system the last run left,
#            its clone brought to the HEAD of now (its build folders kept)
# QLK_DISTRO_CACHE  where the systems live (default /var/cache/quenlark-distro):
#   RELEASE/base     the debootstrap result, made once and copied for each run
#                    (delete it to have it made again)
#   RELEASE/build    the system of the last run: the clone in /root/quenlark
#   RELEASE/install  the system the package was installed into
#   RELEASE/logs     each step's whole output
# Both systems stay after the run, to be looked into (chroot DIR bash).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/.." && pwd)
. "$here/debian-mirror.sh"

usage() {
    echo "usage: $0 bookworm|trixie|sid [--from build|test|package|install]" >&2
    exit 2
}
[ $# -ge 1 ] || usage
release=$1
shift
case "$release" in bookworm | trixie | sid) ;; *) usage ;; esac
from=build
while [ $# -gt 0 ]; do
    case "$1" in
        --from)
            [ $# -ge 2 ] || usage
            from=$2
            shift 2
            ;;
        *) usage ;;
    esac
done
steps=(build test package install)
case " ${steps[*]} " in *" $from "*) ;; *) usage ;; esac

[ "$(id -u)" -eq 0 ] || { echo "Run as root: the check makes chroot systems." >&2; exit 2; }
for tool in debootstrap chroot git; do
    command -v "$tool" >/dev/null || { echo "Missing $tool (apt-get install debootstrap git)." >&2; exit 2; }
done
mirror=$(qlk_debian_mirror)
security=$(qlk_debian_mirror security 2>/dev/null) || security=

mkdir -p "${QLK_DISTRO_CACHE:-/var/cache/quenlark-distro}/$release"
cache=$(realpath "${QLK_DISTRO_CACHE:-/var/cache/quenlark-distro}/$release")
base=$cache/base build=$cache/build install=$cache/install logs=$cache/logs
mkdir -p "$logs"
failed=0
verdicts=()

verdict() { # verdict STEP PASS|FAIL DETAIL
    local line="distro-check $release: $1: $2 ($3)"
    verdicts+=("$line")
    echo "$line"
    [ "$2" = PASS ] || failed=1
}
minutes() { echo "$((($(date +%s) - $1 + 30) / 60)) min"; }

# Mounts of the systems, undone on every exit; processes still running inside
# a system (a test's X server, a compile server) are ended first, or the
# mounts would stay busy.
mounted=()
end_processes_in() {
    local root=$1 pid link
    for pid in /proc/[0-9]*; do
        link=$(readlink "$pid/root" 2>/dev/null) || continue
        [ "$link" = "$root" ] && kill -KILL "${pid#/proc/}" 2>/dev/null
    done
    return 0
}
unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
    done
    mounted=()
}
cleanup() {
    local jail
    for jail in "$build" "$install"; do end_processes_in "$jail"; done
    unmount_all
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

enter() { # enter JAIL: the mounts a system needs while commands run in it
    local jail=$1
    mount -t proc proc "$jail/proc" && mounted+=("$jail/proc")
    mount -t sysfs sysfs "$jail/sys" && mounted+=("$jail/sys")
    mount --bind /dev "$jail/dev" && mounted+=("$jail/dev")
    mount --bind /dev/pts "$jail/dev/pts" && mounted+=("$jail/dev/pts")
    mount -t tmpfs -o mode=1777 tmpfs "$jail/dev/shm" && mounted+=("$jail/dev/shm")
    cat /etc/resolv.conf >"$jail/etc/resolv.conf"
}
leave() { # leave JAIL
    end_processes_in "$1"
    unmount_all
}
in_jail() { # in_jail JAIL COMMAND...: as root, with a plain environment
    local jail=$1
    shift
    chroot "$jail" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive "$@"
}
# run_logged STEP JAIL COMMAND: the command's whole output goes to the
# step's log; its end is shown when it fails.
run_logged() {
    local step=$1 jail=$2
    shift 2
    if in_jail "$jail" bash -c "$*" >"$logs/$step.log" 2>&1; then
        return 0
    fi
    echo "--- the end of $logs/$step.log:"
    tail -n 40 "$logs/$step.log"
    return 1
}

make_base() {
    [ -f "$base/etc/debian_version" ] && return 0
    echo "Making the $release base system from $mirror (once)"
    rm -rf "$base.new"
    debootstrap --variant=minbase "$release" "$base.new" "$mirror" >"$logs/debootstrap.log" 2>&1 ||
        { tail -n 20 "$logs/debootstrap.log"; return 1; }
    mv "$base.new" "$base"
}

# fresh_system DIR: a new copy of the base, with the apt sources a system
# installed from this mirror has.
fresh_system() {
    local jail=$1
    # Never remove a system that still has something mounted in it: /dev
    # there is this machine's own.
    if findmnt -rn -o TARGET | grep -q "^$jail/"; then
        echo "$jail still has mounts (findmnt | grep $jail): unmount them first." >&2
        exit 1
    fi
    rm -rf --one-file-system "$jail"
    cp -a "$base" "$jail"
    {
        echo "deb $mirror $release main"
        if [ "$release" != sid ]; then
            echo "deb $mirror $release-updates main"
            [ -z "$security" ] || echo "deb $security $release-security main"
        fi
    } >"$jail/etc/apt/sources.list"
    # A mirror that is a snapshot serves an unstable Release file whose
    # validity ran out long ago.
    if [ "$release" = sid ]; then
        echo 'Acquire::Check-Valid-Until "false";' >"$jail/etc/apt/apt.conf.d/99quenlark-snapshot"
    fi
    # No services start inside the system.
    printf '#!/bin/sh\nexit 101\n' >"$jail/usr/sbin/policy-rc.d"
    chmod 755 "$jail/usr/sbin/policy-rc.d"
}

# The steps. Each prints its verdict and returns non-zero when later steps
# cannot follow.
step_build() {
    local start rev
    start=$(date +%s)
    make_base || { verdict "base system" FAIL "debootstrap, see $logs/debootstrap.log"; return 1; }
    fresh_system "$build"
    rev=$(git -C "$src" rev-parse HEAD)
    git clone --quiet --no-hardlinks --no-checkout "$src" "$build/root/quenlark"
    git -C "$build/root/quenlark" checkout --quiet --detach "$rev"
    echo "$rev" >"$logs/revision"
    echo "A fresh $release system in $build with a clone of $(git -C "$src" log -1 --format='%h %s' "$rev")"
    enter "$build"
    if run_logged run-build-only "$build" "cd /root/quenlark && ./run.sh --build-only"; then
        verdict "run.sh --build-only" PASS "$(minutes "$start"), $(in_jail "$build" g++ --version | head -n 1),\
 Qt $(in_jail "$build" dpkg-query -W -f='${Version}' qt6-base-dev | cut -d+ -f1),\
 $(in_jail "$build" javac -version 2>&1 | head -n 1)"
    else
        verdict "run.sh --build-only" FAIL "$(minutes "$start"), see $logs/run-build-only.log"
        leave "$build"
        return 1
    fi
    leave "$build"
}

# ctest's closing counts of the normal and the sanitizer suite.
suite_counts() {
    awk '/tests passed, [0-9]+ tests? failed out of/ {
            n = $NF; f = $4; s = s (s ? ", " : "") (c++ ? "sanitizers " : "") (n - f) "/" n
         }
         END { print s ? s : "no suite finished" }' "$logs/test.log"
}
step_test() {
    local start
    start=$(date +%s)
    [ -d "$build/root/quenlark" ] || { verdict test.sh FAIL "no build system, run from the build step"; return 1; }
    enter "$build"
    if run_logged test "$build" "cd /root/quenlark && ./test.sh"; then
        verdict test.sh PASS "$(suite_counts), $(minutes "$start")"
    else
        verdict test.sh FAIL "$(suite_counts), $(minutes "$start"), see $logs/test.log"
        sed -n '/The following tests FAILED/,/^Errors while running/p' "$logs/test.log" | head -n 60
    fi
    leave "$build"
    return 0
}

step_package() {
    local start
    start=$(date +%s)
    [ -d "$build/root/quenlark" ] || { verdict package FAIL "no build system, run from the build step"; return 1; }
    enter "$build"
    # The commands of the README's "The Debian package", in the tree that
    # ./run.sh and ./test.sh built.
    if run_logged package "$build" "cd /root/quenlark && rm -f build/quenlark_*.deb &&
        cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build -j2 &&
        cd build && cpack -G DEB"; then
        verdict package PASS "$(cd "$build/root/quenlark/build" && ls quenlark_*_amd64.deb | head -n 1),\
 $(minutes "$start")"
    else
        verdict package FAIL "$(minutes "$start"), see $logs/package.log"
        leave "$build"
        return 1
    fi
    leave "$build"
}

# The learner's first start: the folder message, then the main window.
first_start='
set -u
# A display no other X server holds, also one outside this system.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>/tmp/display >/tmp/xvfb.log 2>&1 &
for i in $(seq 100); do [ -s /tmp/display ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 /tmp/display)"
runuser -u learner -- env -i PATH=/usr/bin:/bin HOME=/home/learner LANG=C.UTF-8 DISPLAY="$DISPLAY" \
    /usr/bin/quenlark >/tmp/quenlark.log 2>&1 &
shown() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
start=$(date +%s%N)
for i in $(seq 300); do
    box=$(shown "^ﾌｫﾙﾀﾞ選択\$"); [ -n "$box" ] && break
    [ -n "$(shown "^Quenlark\$")" ] && break
    sleep 0.1
done
if [ -n "$box" ]; then
    echo "first start: the folder message, answered with Return"
    xdotool windowfocus --sync "$box" key 36 || true
fi
for i in $(seq 300); do main=$(shown "^Quenlark\$"); [ -n "$main" ] && break; sleep 0.1; done
[ -n "$main" ] || { echo "no main window"; xwininfo -root -tree; cat /tmp/quenlark.log; exit 1; }
echo "main window after $((($(date +%s%N) - start) / 1000000)) ms:"
xwininfo -id "$main" | grep -E "Width|Height|Map State"
cat /tmp/quenlark.log
'
step_install() {
    local start deb installed
    start=$(date +%s)
    deb=$(cd "$build/root/quenlark/build" 2>/dev/null && ls quenlark_*_amd64.deb | head -n 1) ||
        { verdict install FAIL "no package, run from the package step"; return 1; }
    make_base || { verdict "base system" FAIL "debootstrap, see $logs/debootstrap.log"; return 1; }
    fresh_system "$install"
    cp "$build/root/quenlark/build/$deb" "$install/root/"
    enter "$install"
    if ! run_logged install "$install" "apt-get update -q && apt-get install -y -q /root/$deb &&
        apt-get install -y -q --no-install-recommends xvfb xdotool x11-utils && useradd -m learner"; then
        verdict install FAIL "apt install ./$deb, $(minutes "$start"), see $logs/install.log"
        leave "$install"
        return 1
    fi
    installed=$(grep -m1 -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$logs/install.log" | cut -d, -f2 | xargs)
    if run_logged first-start "$install" "$first_start"; then
        cat "$logs/first-start.log"
        verdict install PASS "apt install ./$deb: $installed; /usr/bin/quenlark shows its main window under Xvfb,\
 $(minutes "$start")"
    else
        verdict install FAIL "/usr/bin/quenlark showed no main window, see $logs/first-start.log"
    fi
    leave "$install"
}

echo "distro-check $release from step $from; mirror $mirror; systems in $cache"
if [ "$from" != build ] && [ -d "$build/root/quenlark/.git" ]; then
    rev=$(git -C "$src" rev-parse HEAD)
    git -C "$build/root/quenlark" fetch --quiet "$src" HEAD
    git -C "$build/root/quenlark" checkout --quiet --detach FETCH_HEAD
    echo "$rev" >"$logs/revision"
    echo "The clone in $build is now at $(git -C "$src" log -1 --format='%h %s' "$rev")"
fi
go=false
for step in "${steps[@]}"; do
    [ "$step" = "$from" ] && go=true
    $go || continue
    "step_$step" || break
done
echo
echo "== distro-check $release, $(git -C "$src" log -1 --format=%h "$(cat "$logs/revision" 2>/dev/null || echo HEAD)")"
printf '%s\n' "${verdicts[@]}"
exit "$failed"
