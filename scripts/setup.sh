# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by run.sh and test.sh: installs the Debian packages that are
# missing and builds the tree. Works as root and as a user with sudo.

VEXO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VEXO_BUILD=${VEXO_BUILD:-$VEXO_ROOT/build}

VEXO_BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-webengine-dev
    libcurl4-openssl-dev libcpp-httplib-dev libgtest-dev libgmock-dev xdg-utils qt6-translations-l10n libfuse3-dev)
# Every tool a test calls is here: under CI a missing one fails its test.
VEXO_TEST_PACKAGES=(xvfb xauth trayer xdotool x11-utils weston qt6-wayland openbox desktop-file-utils appstream dpkg-dev binutils lintian clang-format strace dbus-daemon at-spi2-core
    fuse3 fusefat exfat-fuse dosfstools exfatprogs mount util-linux)

# Installs those of the given packages that are not installed yet.
vexo_install() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What CI (CI set) builds with: a build for checking (VEXO_QUICK_BUILD:
# -O1, debug information as line tables only), in which warnings are
# errors and the C++ library checks its preconditions (VEXO_WERROR), and
# without the benchmarks, which no test runs.
VEXO_CI_QUICK=()
VEXO_CI_OPTIONS=()
if [ -n "${CI:-}" ]; then
    VEXO_CI_QUICK=(-DVEXO_QUICK_BUILD=ON)
    VEXO_CI_OPTIONS=(-DVEXO_WERROR=ON -DVEXO_QUICK_BUILD=ON -DVEXO_BUILD_BENCH=OFF)
fi

# Configures the tree in $VEXO_BUILD and builds the given targets, or
# everything when none is given, with the options of CI when CI is set.
vexo_build() {
    cmake -S "$VEXO_ROOT" -B "$VEXO_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${VEXO_CI_OPTIONS[@]}"
    local targets=()
    local target
    for target in "$@"; do
        targets+=(--target "$target")
    done
    cmake --build "$VEXO_BUILD" -j"$(nproc)" "${targets[@]}"
}
