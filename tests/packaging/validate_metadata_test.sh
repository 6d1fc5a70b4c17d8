#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Validates the desktop entry and the AppStream metainfo with the desktops'
# own tools; skips (77; fails under CI) where a tool is not installed.
#   validate_metadata_test.sh PACKAGING_FOLDER METAINFO
# METAINFO is the metainfo as the build fills it in (with the version).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
folder=$1
metainfo=$2
id=io.github.vexorama.Vexorama
missing=()
command -v desktop-file-validate >/dev/null || missing+=(desktop-file-utils)
command -v appstreamcli >/dev/null || missing+=(appstream)

# Guards: a desktop entry that menus reject or show wrongly.
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$folder/$id.desktop"
fi
# Guards: metainfo that software centres reject.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo"
fi
# Guards: the entry, the metainfo and the program disagreeing on the application's id.
grep -qx "Icon=$id" "$folder/$id.desktop"
grep -q "<id>$id</id>" "$metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
grep -q "setDesktopFileName(QStringLiteral(\"$id\"))" "$folder/../app/application_setup.cpp"
# Guards: docks showing the window apart from its launcher because the entry names another window
# class than the program's (its application name, on X11).
class=$(sed -n 's/^StartupWMClass=//p' "$folder/$id.desktop")
[ -n "$class" ] && grep -q "setApplicationName(QStringLiteral(\"$class\"))" "$folder/../app/application_setup.cpp" ||
    { echo "FAILED: the desktop entry's StartupWMClass \"$class\" is not the program's application name" >&2; exit 1; }

# Guards: software centres showing another version or date of the latest release than the Debian changelog's latest entry.
changelog=$folder/changelog.Debian
debian_version=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' "$changelog")
upstream_version=${debian_version#*:}
upstream_version=${upstream_version%-*}
entry_date=$(sed -n 's/^ -- .*>  //p' "$changelog" | head -1)
release_date=$(date -u -d "$entry_date" +%F) || { echo "FAILED: the changelog's latest date \"$entry_date\" does not parse" >&2; exit 1; }
release=$(grep -o -m1 '<release [^>]*>' "$metainfo")
[ "$release" = "<release version=\"$upstream_version\" date=\"$release_date\"/>" ] ||
    { echo "FAILED: the metainfo's latest release is $release, the changelog's $upstream_version of $release_date" >&2; exit 1; }

# Guards: screenshots that point at images the repository does not hold, or at another repository or branch.
homepage=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' "$metainfo")
[ "$homepage" = "https://github.com/vexorama/vexorama" ] || { echo "FAILED: homepage $homepage" >&2; exit 1; }
raw=https://raw.githubusercontent.com/vexorama/vexorama/main/
images=$(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$metainfo")
[ -n "$images" ] || { echo "FAILED: no screenshots" >&2; exit 1; }
for image in $images; do
    [[ $image == "$raw"* && -f "$folder/../${image#"$raw"}" ]] || { echo "FAILED: screenshot $image" >&2; exit 1; }
done
# Guards: the copyright file naming another home of the project than the metainfo.
grep -qx "Source: $homepage" "$folder/copyright" || { echo "FAILED: copyright's Source is not $homepage" >&2; exit 1; }

if [ ${#missing[@]} -ne 0 ]; then
    skip_or_fail "in part: install ${missing[*]} to validate with them"
fi
