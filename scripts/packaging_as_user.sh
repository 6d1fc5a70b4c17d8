#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the packaging tests as a normal user with sudo, as a
# developer would, on a clone of the tree: CI runs as root and would never
# meet what only a normal user does (a folder it cannot remove, a file it
# cannot read). Makes the user (vexo-ci) when it is missing. Run as root.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
[ "$(id -u)" -eq 0 ] || { echo "packaging_as_user.sh: run it as root" >&2; exit 1; }

user=vexo-ci
vexo_install sudo
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
echo "$user ALL=(ALL) NOPASSWD:ALL" >/etc/sudoers.d/$user
chmod 440 /etc/sudoers.d/$user
home=$(getent passwd "$user" | cut -d: -f6)
clone=$home/vexorama
rm -rf "$clone"
git clone -q "$VEXO_ROOT" "$clone"
chown -R "$user:" "$clone"
# What the packages hold (the program, its module, the tools and the
# compressed pages), not the test suites; packaging then builds nothing more.
# Under CI the build has the test build's options (scripts/setup.sh).
# A compiler cache that the caller set up (.ci/run) is read, never written:
# paths inside the clone are hashed relative to it, so what the test build
# compiled is found here.
cache=()
if [ -n "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && [ -d "${CCACHE_DIR:-}" ]; then
    cache=(CMAKE_C_COMPILER_LAUNCHER="$CMAKE_C_COMPILER_LAUNCHER" CMAKE_CXX_COMPILER_LAUNCHER="$CMAKE_CXX_COMPILER_LAUNCHER"
        CCACHE_DIR="$CCACHE_DIR" CCACHE_BASEDIR="$clone" CCACHE_NOHASHDIR=true CCACHE_READONLY=true
        CCACHE_TEMPDIR="$home/.cache/vexo-ccache-tmp")
fi
sudo -u "$user" -H env "${cache[@]}" bash -c '
    set -euo pipefail
    cd "$1"
    shift
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@"
    cmake --build build -j"$(nproc)" --target vexo_demo vexo-encode vexo_packaging_files
    cd build
    ctest -R "^packaging\." --output-on-failure' packaging_as_user "$clone" "${VEXO_CI_OPTIONS[@]}"
