#!/usr/bin/env bash
# Builds the packages a user installs and checks each one as a user meets it:
#  - the Debian package, built with Debian's compiler flags: lintian, its contents, and the
#    program started from it. In CI (CI=true) it is installed with apt-get and removed again
#    (root or sudo); anywhere else it is unpacked into the build tree and the program runs from
#    there, so that a Brindlecot installed on this machine stays as it is;
#  - when this tree has the Windows front end: the zip and the installer, installed, started
#    and uninstalled under Wine, in a Wine prefix of the build tree's own.
# The packages are left in build/package/packages and build/win32/packages.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${CORE_PACKAGES[@]}" "${QT_PACKAGES[@]}" "${DIST_CHECK_PACKAGES[@]}" \
    "${DEB_PACKAGING_PACKAGES[@]}"
jobs=$(nproc 2>/dev/null || echo 2)

# ---- Debian ----
# Debian's hardening flags, as a package built in Debian would have them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBRINDLECOT_FRONTEND=qt \
    -DBRINDLECOT_BUILD_TESTS=OFF -DBRINDLECOT_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build/package -j "$jobs"
rm -rf build/package/packages
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls build/package/packages/*.deb)
# The style plugin through which the check sees the installed program's first paint.
cmake -S tests/dist/paint_probe -B build/package/paint_probe -G Ninja >/dev/null
cmake --build build/package/paint_probe -j "$jobs" >/dev/null
tests/dist/deb_install_check.sh "$deb" build/package/paint_probe build/package/deb-check

# ---- Windows ----
if [ ! -f src/frontend/win32/CMakeLists.txt ]; then
    echo "Windows packages: skipped, this tree has no Win32 front end."
    ls -l "$deb"
    exit 0
fi
ensure_packages "${WINDOWS_PACKAGING_PACKAGES[@]}"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target brindlecot
rm -rf build/win32/packages
cmake --build --preset win32 --target brindlecot_installer >/dev/null
(cd build/win32 && cpack -G ZIP >/dev/null)
setup=$(ls build/win32/packages/Brindlecot-*-win64-setup.exe)
zip=$(ls build/win32/packages/Brindlecot-*-win64.zip)
tests/dist/windows_installer_check.sh "$setup" "$zip" build/win32/package-check

ls -l "$deb" "$zip" "$setup"
