#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack and checks its contents and the
# dependencies dpkg-shlibdeps filled in; skips (77) without dpkg-shlibdeps.
#   deb_package_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
id=io.github.vexorama.Vexorama
command -v dpkg-shlibdeps >/dev/null || { echo "SKIPPED: install dpkg-dev to build the package"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" -G DEB >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/*.deb)

# Guards: a package whose dependencies were not filled in from the libraries the program and the module link.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6core6 libqt6widgets6 libqt6gui6 libqt6webenginewidgets6; do
    grep -q "\b$package\b" <<<"$depends" || fail "$package missing from Depends: $depends"
done

# Guards: a package that installs the program, its module, the menu entry or the icons anywhere else.
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./usr/bin/vexorama ./usr/lib/vexorama/vexorama_web.so ./usr/share/applications/$id.desktop \
            ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/$id.png; do
    grep -qx -- "$file" <<<"$contents" || fail "not in the package: $file"
done
echo "$(basename "$deb"): Depends: $depends"
