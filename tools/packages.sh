# The Debian packages each part of the build needs, and a helper that installs only the
# missing ones. Sourced by the scripts in tools/.

# Building anything: the compiler and the build tools.
BUILD_PACKAGES=(g++ cmake ninja-build make)
# The core's tests, and the benchmarks the test builds compile (never required otherwise).
TEST_PACKAGES=(libgtest-dev libbenchmark-dev)
CORE_PACKAGES=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}")
# The Qt 6 front end, and the X server, window manager, trays (XEmbed: trayer, tint2;
# StatusNotifierItem: xfce4-panel and lxqt-panel on a session bus) and input tools its tests use;
# on Wayland a headless sway with waybar and swaybar, grim for its screenshots, jq for its window
# tree and the Wayland client library for the virtual pointer; the accessibility bus and its
# Python bindings, to read the window as a screen reader does; libSM for a stand-in session
# manager.
QT_PACKAGES=(qt6-base-dev libxcb1-dev)
GUI_TEST_PACKAGES=(xvfb xauth openbox trayer tint2 xdotool x11-utils imagemagick
    xfce4-panel xfconf dbus-x11 lxqt-panel
    sway waybar qt6-wayland grim jq libwayland-dev at-spi2-core python3-pyatspi libsm-dev)
# The Windows program: the mingw-w64 cross compiler (with its -posix threading, which
# GoogleTest needs) and icoutils for the .ico; its tests run under Wine in Xvfb with openbox.
WIN32_BUILD_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 icoutils googletest)
WIN32_TEST_PACKAGES=(wine wine64 xvfb xauth openbox xdotool x11-utils imagemagick util-linux)
# The benchmarks of tools/bench.sh: instruction counts, an X server and a session bus.
BENCH_PACKAGES=(valgrind xvfb xauth dbus-daemon)
# The libFuzzer targets: clang with its fuzzer and sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The checkers of the install data (menu entry, metainfo, manual page, installer script).
DIST_CHECK_PACKAGES=(desktop-file-utils appstream man-db nsis)
# The Debian package: dpkg-shlibdeps, lintian.
DEB_PACKAGING_PACKAGES=(dpkg-dev fakeroot lintian file)
# The Windows zip and installer, and their check under Wine with a window manager.
WINDOWS_PACKAGING_PACKAGES=(g++-mingw-w64-x86-64 nsis icoutils unzip wine wine64 xvfb xauth
    openbox xdotool x11-utils imagemagick)

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}
