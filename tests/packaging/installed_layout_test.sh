#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix, checks what lies where, and
# starts the installed program as a user who cannot write its folder; then
# installs the program's component alone (the vexorama package without
# vexorama-web) and starts it without its web module.
#   installed_layout_test.sh BUILD_FOLDER
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
build=$1
id=io.github.vexorama.Vexorama
work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    # The program's folder was made read-only for a normal user's run.
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
chmod 755 "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# Guards: an install that leaves out the program, its tools, its web module, the menu entry, the metainfo, an icon or the documentation.
for file in bin/vexorama bin/vexo-server bin/vexo-encode lib/vexorama/vexorama_web.so share/applications/$id.desktop \
            share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
            share/man/man1/vexorama.1.gz share/man/man1/vexo-server.1.gz share/man/man1/vexo-encode.1.gz \
            share/doc/vexorama/copyright share/doc/vexorama/changelog.Debian.gz; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
done
# Guards: an icon installed under the wrong size (the PNG header holds width and height).
for size in 16 24 32 48 96 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -e "$icon" ] || fail "not installed: $icon"
    dimensions=$(od -An -tu4 --endian=big -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')
    [ "$dimensions" = "$size $size" ] || fail "$icon is not ${size}x${size} ($dimensions)"
done

# Guards: the program linking the web engine, so that every start pays for it.
if ldd "$prefix/bin/vexorama" | grep -i webengine; then
    fail "vexorama links the web engine"
fi

# Guards: settings written beside a program the user cannot write, instead of in the user's own folder.
run=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || skip_or_fail "setpriv (util-linux) is needed to run as a normal user"
    run=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
# Makes the home folder $2 for a run of the program installed in $1, which that user cannot write.
prepare_run() {
    mkdir -p "$2"
    if [ "$(id -u)" -eq 0 ]; then
        chown nobody "$2"
    else
        chmod a-w "$1/bin"
    fi
}
home=$work/home
prepare_run "$prefix" "$home"

# Guards: "--help" and "--version" opening the window (there is no display here, so Qt would abort)
# or reading and writing settings, "--help" then stored as the working folder.
for option in --help --version; do
    "${run[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        "$prefix/bin/vexorama" "$option" >"$work/answer.txt" 2>&1 || fail "vexorama $option failed: $(cat "$work/answer.txt")"
    [ ! -e "$home/.config" ] && [ ! -e "$home/Downloads" ] || fail "vexorama $option touched the settings or folders"
done
grep -q "^vexorama [0-9]" "$work/answer.txt" || fail "unexpected version: $(cat "$work/answer.txt")"
"${run[@]}" env -i PATH=/usr/bin:/bin "$prefix/bin/vexorama" --help | grep -q -- "--version" || fail "--help does not list --version"

# Starts the program installed in $1 for the home folder $2 and waits until it has written its settings.
start_installed() {
    "${run[@]}" env -i PATH=/usr/bin:/bin HOME="$2" XDG_CONFIG_HOME="$2/.config" XDG_RUNTIME_DIR="$2" \
        QT_QPA_PLATFORM=offscreen "$1/bin/vexorama" >"$work/program.log" 2>&1 &
    pid=$!
    local settings=$2/.config/vexorama/vexorama.INI
    for _ in $(seq 300); do
        [ -s "$settings" ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$work/program.log"; fail "the installed program ended at start-up"; }
        sleep 0.1
    done
    [ -s "$settings" ] || { cat "$work/program.log"; fail "no settings in $settings"; }
}
start_installed "$prefix" "$home"
settings=$home/.config/vexorama/vexorama.INI
# Guards: an installed copy working in its own folder (which its user cannot write): files go to the
# user's download folder, made when first needed.
grep -q "Folder=$home/Downloads/Vexorama/" "$settings" || fail "unexpected settings: $(cat "$settings")"
[ -d "$home/Downloads/Vexorama" ] || fail "the default folder was not made"
[ ! -e "$prefix/bin/vexorama.INI" ] || fail "settings written beside the installed program"

# Guards: start-up loading the web engine before any page is shown.
if grep -i -E "webengine|vexorama_web" "/proc/$pid/maps"; then
    fail "the web engine is loaded at start-up"
fi
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

# Guards: a program component that brings the web module (and so Qt WebEngine) along, or a program that does not start without it.
core=$work/core
cmake --install "$build" --prefix "$core" --component vexorama >/dev/null
[ -x "$core/bin/vexorama" ] || fail "the component vexorama does not install the program"
[ ! -e "$core/lib/vexorama" ] || fail "the component vexorama installs lib/vexorama/: $(ls -A "$core/lib/vexorama")"
core_home=$work/core-home
prepare_run "$core" "$core_home"
start_installed "$core" "$core_home"
echo "installed layout, --help, per-user settings, start-up without the web engine and without the web module: OK"
