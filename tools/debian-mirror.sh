# The Debian mirror this machine installs from, read from its own apt
# sources, so that the tools that make Debian systems name no host of their
# own. Sourced by deb-chroot-check.sh and distro-check.sh.
#   qlk_debian_mirror            the archive's URL (…/debian), or fails
#   qlk_debian_mirror security   the security archive's URL, or fails
# Both formats are read: one-line entries ("deb [options] URL SUITE ...") in
# sources.list and sources.list.d/*.list, and deb822 stanzas (Types, URIs,
# Suites, Enabled) in sources.list.d/*.sources. Only entries for Debian's own
# suites count (a release's name, stable, testing, unstable, and their
# -updates or -security), so a third party's repository is never taken.

# Lines "URL SUITE" of every enabled binary-package source.
qlk__apt_entries() {
    local root=${QLK_APT_ROOT:-}
    local list file
    for list in "$root/etc/apt/sources.list" "$root"/etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] || continue
        # Drop comments and the [options] part; print URL and first suite.
        sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$list" | awk '$1 == "deb" && NF >= 3 { print $2, $3 }'
    done
    for file in "$root"/etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        # A stanza ends at an empty line; each URI pairs with each suite.
        awk '
            function flush(   i, j, nu, ns, u, s) {
                if (types ~ /(^| )deb( |$)/ && enabled !~ /^(no|false)$/) {
                    nu = split(uris, u, " "); ns = split(suites, s, " ")
                    for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++) print u[i], s[j]
                }
                types = uris = suites = ""; enabled = "yes"
            }
            BEGIN { enabled = "yes" }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            {
                line = $0; key = line; sub(/:.*/, "", key); sub(/^[^:]*:[ \t]*/, "", line)
                key = tolower(key)
                if (key == "types") types = line
                else if (key == "uris") uris = line
                else if (key == "suites") suites = line
                else if (key == "enabled") enabled = tolower(line)
            }
            END { flush() }
        ' "$file"
    done
}

qlk_debian_mirror() {
    local kind=${1:-archive} url suite name
    local releases="buster bullseye bookworm trixie forky duke sid oldoldstable oldstable stable testing unstable"
    while read -r url suite; do
        name=${suite%%-*}
        case " $releases " in *" $name "*) ;; *) continue ;; esac
        case "$kind:$suite" in
            security:*-security) ;;
            security:*) continue ;;
            archive:*-security) continue ;;
        esac
        echo "${url%/}"
        return 0
    done < <(qlk__apt_entries)
    echo "No Debian ${kind} mirror in this machine's apt sources (/etc/apt/sources.list, sources.list.d/)." >&2
    return 1
}
