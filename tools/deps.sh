# The Debian packages Quenlark needs, in one place; sourced by run.sh and
# test.sh. Installs what is missing when run as root or through sudo.

# Every name here is in Debian 12, 13 and testing/unstable alike: nothing
# tied to one release's version numbers.
# To build and run the program: the JDK builds the Java programs beside it.
# default-jdk is each release's own JDK (17 on Debian 12, 21 on 13, the
# newest on testing), and the full one: its headless part has javac, but the
# desktop part is what lets learners' programs, applets and the viewer open
# windows.
QLK_RUN_PACKAGES="cmake g++ make qt6-base-dev qt6-translations-l10n fonts-noto-cjk default-jdk xdg-utils"
# To run the tests: a private X server, a window manager, an accessibility bus;
# the tools that build and check the Debian package.
QLK_TEST_PACKAGES="xvfb openbox wmctrl xdotool x11-utils dbus at-spi2-core python3 python3-pyatspi imagemagick dpkg-dev desktop-file-utils appstream lintian"

qlk_install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo="sudo"
        else
            echo "Missing packages: ${missing[*]}. Run as root or install sudo." >&2
            return 1
        fi
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

qlk_build() {
    local dir=$1
    shift
    cmake -S "$QLK_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null &&
        cmake --build "$dir" -j2
}
