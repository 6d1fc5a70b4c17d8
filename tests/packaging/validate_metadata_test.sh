#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Validates the desktop entry and the AppStream metainfo with the desktops'
# own tools; skips (77) where a tool is not installed.
#   validate_metadata_test.sh PACKAGING_FOLDER
set -euo pipefail
folder=$1
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
    appstreamcli validate --no-net "$folder/$id.metainfo.xml"
fi
# Guards: the entry, the metainfo and the program disagreeing on the application's id.
grep -qx "Icon=$id" "$folder/$id.desktop"
grep -q "<id>$id</id>" "$folder/$id.metainfo.xml"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$folder/$id.metainfo.xml"
grep -q "setDesktopFileName(QStringLiteral(\"$id\"))" "$folder/../app/application_setup.cpp"

# Guards: screenshots that point at images the repository does not hold, or at another repository or branch.
homepage=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' "$folder/$id.metainfo.xml")
[ "$homepage" = "https://github.com/vexorama/vexorama" ] || { echo "FAILED: homepage $homepage" >&2; exit 1; }
raw=https://raw.githubusercontent.com/vexorama/vexorama/main/
images=$(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$folder/$id.metainfo.xml")
[ -n "$images" ] || { echo "FAILED: no screenshots" >&2; exit 1; }
for image in $images; do
    [[ $image == "$raw"* && -f "$folder/../${image#"$raw"}" ]] || { echo "FAILED: screenshot $image" >&2; exit 1; }
done
# Guards: the copyright file naming another home of the project than the metainfo.
grep -qx "Source: $homepage" "$folder/copyright" || { echo "FAILED: copyright's Source is not $homepage" >&2; exit 1; }

if [ ${#missing[@]} -ne 0 ]; then
    echo "SKIPPED in part: install ${missing[*]} to validate with them"
    exit 77
fi
