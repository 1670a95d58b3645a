#!/bin/bash
# The Debian mirror the system tools take from a machine's apt sources
# (tools/debian-mirror.sh): each row is a set of source files and the archive
# and security mirror read from them; "-" when there is none.
#   mirror-test.sh SOURCE_DIR
set -u
. "$1/tools/debian-mirror.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# row NAME ARCHIVE SECURITY FILE=CONTENT...
row() {
    local name=$1 archive=$2 security=$3 entry got_a got_s
    shift 3
    rm -rf "$work/root" && mkdir -p "$work/root/etc/apt/sources.list.d"
    for entry in "$@"; do printf '%b' "${entry#*=}" >"$work/root/etc/apt/${entry%%=*}"; done
    got_a=$(QLK_APT_ROOT=$work/root qlk_debian_mirror 2>/dev/null) || got_a=-
    got_s=$(QLK_APT_ROOT=$work/root qlk_debian_mirror security 2>/dev/null) || got_s=-
    if [ "$got_a $got_s" = "$archive $security" ]; then
        passed=$((passed + 1)); echo "ok: $name"
    else
        failed=$((failed + 1)); echo "FAIL: $name: got '$got_a' '$got_s', want '$archive' '$security'"
    fi
}

row "deb822 archive and security; comments and a slash at the end dropped" http://a/debian http://a/debian-security \
    'sources.list.d/debian.sources=Types: deb\n# http://old/debian\nURIs: http://a/debian/\nSuites: trixie trixie-updates\nComponents: main\n\nTypes: deb\nURIs: http://a/debian-security\nSuites: trixie-security\n'
row "one-line entries with options" http://b/debian http://b/sec \
    'sources.list=# deb http://commented/debian trixie main\ndeb [arch=amd64 signed-by=/k.gpg] http://b/debian bookworm main\ndeb http://b/sec bookworm-security main\n'
row "a third party's repository is never the archive" http://c/debian - \
    'sources.list.d/node.sources=Types: deb\nURIs: http://node/repo\nSuites: nodistro\n' \
    'sources.list.d/cloud.list=deb http://cloud/apt cloud-sdk-bookworm main\n' \
    'sources.list.d/z.list=deb http://c/debian sid main\n'
row "a disabled stanza and source packages do not count" http://d/debian - \
    'sources.list.d/a.sources=Types: deb\nEnabled: no\nURIs: http://off/debian\nSuites: sid\n\nTypes: deb-src\nURIs: http://src/debian\nSuites: sid\n\nTypes: deb-src deb\nURIs: http://d/debian\nSuites: unstable\n'
row "files of other names are not read" - - \
    'sources.list.d/x.list.disabled=deb http://x/debian sid main\n'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
