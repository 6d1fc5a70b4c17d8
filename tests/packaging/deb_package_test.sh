#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages with CPack, vexorama and vexorama-web, and
# checks their contents, the dependencies dpkg-shlibdeps filled in, the
# recommendations, the documentation Debian asks for, the control scripts,
# the hardening of their ELF files, their file times, that a second build
# gives the same bytes, and lintian's verdict. Skips (77; fails under CI) without
# dpkg-shlibdeps or readelf; without lintian it runs every other check and
# then reports itself skipped in part.
#   deb_package_test.sh BUILD_FOLDER
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
build=$1
id=io.github.vexorama.Vexorama
doc=usr/share/doc/vexorama
module=usr/lib/vexorama/vexorama_web.so
command -v dpkg-shlibdeps >/dev/null || skip_or_fail "install dpkg-dev to build the package"
command -v readelf >/dev/null || skip_or_fail "install binutils to check the hardening"
work=$(mktemp -d)
# Built files whose times the second build moves on; $work/times/N keeps the time of the Nth.
touched=()
restore_times() {
    local i
    for i in "${!touched[@]}"; do
        touch -r "$work/times/$i" "${touched[$i]}" || true
    done
    touched=()
}
trap 'restore_times; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
# The entries of a control field such as Depends, one a line.
entries() { tr ',' '\n' <<<"$1" | sed 's/^ *//; s/ *$//'; }
# The packages are to be dated by the changelog, which a caller's SOURCE_DATE_EPOCH would override.
unset SOURCE_DATE_EPOCH

# Builds the packages into the folder $1.
build_packages() {
    cpack --config "$build/CPackConfig.cmake" -B "$1" -G DEB >"$1.log" 2>&1 || { cat "$1.log"; fail "cpack"; }
}
build_packages "$work/first"
# Guards: the web pages and their engine not split off into a package of their own.
debs=("$work"/first/*.deb)
[ ${#debs[@]} -eq 2 ] && [ -e "$work"/first/vexorama_*.deb ] && [ -e "$work"/first/vexorama-web_*.deb ] ||
    fail "not the two packages vexorama and vexorama-web: $(cd "$work/first" && echo *.deb)"
deb=$(ls "$work"/first/vexorama_*.deb)
web_deb=$(ls "$work"/first/vexorama-web_*.deb)
version=$(dpkg-deb -f "$deb" Version)
root=$work/root/vexorama
web_root=$work/root/vexorama-web
mkdir "$work/root" "$work/control"
for package in "$deb" "$web_deb"; do
    name=$(dpkg-deb -f "$package" Package)
    dpkg-deb -x "$package" "$work/root/$name"
    dpkg-deb -e "$package" "$work/control/$name"
done

# Guards: a package whose dependencies were not filled in from the libraries its own files (the program and the tools; the module) link.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6core6 libqt6widgets6 libqt6gui6 libcpp-httplib libcurl4; do
    grep -q "\b$package" <<<"$depends" || fail "$package missing from Depends: $depends"
done
web_depends=$(dpkg-deb -f "$web_deb" Depends)
for package in libc6 libqt6core6 libqt6widgets6 libqt6webenginewidgets6; do
    grep -q "\b$package" <<<"$web_depends" || fail "$package missing from vexorama-web's Depends: $web_depends"
done
# Guards: the program's package pulling in Qt WebEngine or Qt's translations, which it can do without.
if grep -oE "[a-z0-9.+-]*(webengine|translations)[a-z0-9.+-]*" <<<"$depends"; then
    fail "vexorama depends on the above: $depends"
fi
# Guards: the program's package not recommending its web pages, Qt's Russian texts or Qt's Wayland platform.
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in vexorama-web qt6-translations-l10n qt6-wayland; do
    entries "$recommends" | grep -qxF -- "$package" || fail "$package missing from Recommends: $recommends"
done
# Guards: a web module that can be installed beside another version of the program than the one it was built with.
entries "$web_depends" | grep -qxF "vexorama (= $version)" ||
    fail "vexorama-web does not depend on vexorama (= $version): $web_depends"

# Guards: the module (and so Qt WebEngine) in the program's package, or a file in both packages, which then cannot be installed together.
web_contents=$(dpkg-deb -c "$web_deb" | awk '{print $NF}')
grep -qx -- "./$module" <<<"$web_contents" || fail "not in vexorama-web: $module"
for file in ./usr/share/doc/vexorama-web/copyright ./usr/share/doc/vexorama-web/changelog.Debian.gz; do
    grep -qx -- "$file" <<<"$web_contents" || fail "not in vexorama-web: $file"
done
! grep -F "vexorama_web.so" < <(dpkg-deb -c "$deb") || fail "the module is in vexorama"
shared=$(comm -12 <(cd "$root" && find . ! -type d | sort) <(cd "$web_root" && find . ! -type d | sort))
[ -z "$shared" ] || fail "in both packages: $shared"

# Guards: a package that installs the program, its tools, the menu entry, the icons or the documentation anywhere else.
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./usr/bin/vexorama ./usr/bin/vexo-server ./usr/bin/vexo-encode \
            ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/$id.png ./$doc/copyright ./$doc/changelog.Debian.gz \
            ./usr/share/man/man1/vexorama.1.gz ./usr/share/man/man1/vexo-server.1.gz \
            ./usr/share/man/man1/vexo-encode.1.gz; do
    grep -qx -- "$file" <<<"$contents" || fail "not in the package: $file"
done

# Guards: a changelog or manual page left uncompressed, compressed below -9, or with a name or time stamp inside.
for file in "$root/$doc/changelog.Debian.gz" "$web_root/$doc-web/changelog.Debian.gz" "$root"/usr/share/man/man1/*.gz; do
    gzip -t "$file" || fail "$file is not a whole gzip file"
    # The header: magic, method, flags (FNAME is 8), four bytes of time, and 2 in XFL for the best compression.
    read -r -a header < <(od -An -tu1 -N9 "$file")
    [ "${header[0]} ${header[1]}" = "31 139" ] || fail "$file is not gzip-compressed"
    (((header[3] & 8) == 0)) || fail "$file holds the name of the file it was made from (gzip -n)"
    [ "${header[4]}${header[5]}${header[6]}${header[7]}" = "0000" ] || fail "$file holds a time stamp (gzip -n)"
    [ "${header[8]}" = 2 ] || fail "$file is not compressed with gzip -9"
done

# Guards: a changelog whose latest entry names another version or maintainer than the package, or does not parse.
for package in "$deb" "$web_deb"; do
    name=$(dpkg-deb -f "$package" Package)
    gzip -dc "$work/root/$name/usr/share/doc/$name/changelog.Debian.gz" >"$work/changelog"
    changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    changelog_maintainer=$(dpkg-parsechangelog -l "$work/changelog" -S Maintainer)
    [ "$changelog_version" = "$(dpkg-deb -f "$package" Version)" ] ||
        fail "the changelog is for $changelog_version, $name is $(dpkg-deb -f "$package" Version)"
    [ "$changelog_maintainer" = "$(dpkg-deb -f "$package" Maintainer)" ] ||
        fail "the changelog's maintainer $changelog_maintainer is not $name's $(dpkg-deb -f "$package" Maintainer)"
done

# Guards: a copyright file out of the machine-readable format, without the GPL's pointer, or without the licence of the library vexo-server links.
cmp "$root/$doc/copyright" "$web_root/$doc-web/copyright" || fail "the packages' copyright files differ"
copyright=$root/$doc/copyright
head -1 "$copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
    fail "copyright is not in the machine-readable format"
grep -q "/usr/share/common-licenses/GPL-3" "$copyright" || fail "copyright does not point at the GPL-3 text"
grep -q "^License: Expat$" "$copyright" && grep -q "cpp-httplib" "$copyright" &&
    grep -q "Permission is hereby granted, free of charge" "$copyright" ||
    fail "copyright lacks cpp-httplib's licence text"

# Guards: a manual page that leaves out an option the tool's --help lists.
for tool in vexo-server vexo-encode; do
    options=$("$build/bin/$tool" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
    [ -n "$options" ] || fail "$tool --help lists no options"
    page=$(gzip -dc "$root/usr/share/man/man1/$tool.1.gz" | sed 's/\\-/-/g')
    for option in $options; do
        grep -qe "$option" <<<"$page" || fail "the manual page of $tool does not describe $option"
    done
done

# Guards: control scripts that call ldconfig for the module's folder, which is no library folder.
echo "control files: $(cd "$work/control" && echo */*)"
for script in "$work"/control/*/{preinst,postinst,prerm,postrm,triggers}; do
    if [ -e "$script" ] && grep -n ldconfig "$script"; then
        fail "${script#"$work/control/"} calls ldconfig"
    fi
done

# Guards: a packaged ELF file built without PIE, full RELRO, the stack protector or the fortified libc calls.
libc=$(ldd "$root/usr/bin/vexo-encode" | awk '/libc\.so\.6/ {print $3}')
[ -r "$libc" ] || fail "cannot find the C library that vexo-encode links"
fortifiable=$(readelf --dyn-syms -W "$libc" | awk '{print $8}' | sed -n 's/^__\(.*\)_chk@.*/\1/p' | sort -u)
elf_count=0
fortified_count=0
while IFS= read -r -d '' file; do
    [ "$(od -An -c -N4 "$file" | tr -d ' ')" = "177ELF" ] || continue
    elf_count=$((elf_count + 1))
    name=/${file#"$work/root/"}
    headers=$(readelf -lW "$file")
    dynamic=$(readelf -dW "$file")
    symbols=$(readelf --dyn-syms -W "$file" | awk '$7 == "UND" {print $8}' | sed 's/@.*//' | sort -u)
    grep -q "GNU_RELRO" <<<"$headers" || fail "$name: no RELRO"
    grep -qE "\(BIND_NOW\)|\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW" <<<"$dynamic" || fail "$name: no immediate binding (-z now)"
    kind="shared object"
    if [[ $name == /*/usr/bin/* ]]; then
        readelf -hW "$file" | grep -qE "Type:[[:space:]]+DYN" || fail "$name: not position independent"
        grep -qE "\(FLAGS_1\).*PIE" <<<"$dynamic" || fail "$name: not linked with -pie"
        kind="PIE"
    fi
    grep -qx "__stack_chk_fail" <<<"$symbols" || fail "$name: no stack protector"
    # The compiler turns a call into its checked __*_chk form only where it
    # knows the buffer's size, so a file whose buffers all come from
    # elsewhere shows no checked call although it was built fortified. The
    # flags are the same for every target: the package as a whole must show
    # them.
    if grep -qE "^__.*_chk$" <<<"$symbols"; then
        fortify="fortified calls"
        fortified_count=$((fortified_count + 1))
    elif unprotected=$(comm -12 <(echo "$symbols") <(echo "$fortifiable")) && [ -n "$unprotected" ]; then
        fortify="no checked call (sizes unknown when compiled): $(echo $unprotected)"
    else
        fortify="no fortifiable call"
    fi
    echo "hardened: $name: $kind, RELRO, BIND_NOW, stack protector; $fortify"
done < <(find "$work/root" -type f -print0)
[ "$elf_count" -ge 4 ] || fail "only $elf_count ELF files in the packages"
[ "$fortified_count" -ge 1 ] || fail "no packaged ELF file makes a fortified call: built without _FORTIFY_SOURCE"

echo "$(basename "$deb"): Depends: $depends; Recommends: $recommends"
echo "$(basename "$web_deb"): Depends: $web_depends"

# Guards: files and archive members dated by the build rather than by the changelog's latest entry.
epoch=$(dpkg-parsechangelog -l "$work/changelog" -S Timestamp)
expected=$(date -u -d "@$epoch" '+%F %T')
for package in "$deb" "$web_deb"; do
    times=$( (dpkg-deb --ctrl-tarfile "$package" && dpkg-deb --fsys-tarfile "$package") |
        TZ=UTC tar -tv --full-time --ignore-zeros | awk '{print $4, $5}' | sort -u)
    [ "$times" = "$expected" ] || fail "$(basename "$package") holds other times than $expected: $(echo $times)"
done

# Guards: two builds of one version giving different bytes, with the time of the build or of the built files inside.
later=$(($(date +%s) + 60))
mkdir "$work/times"
while read -r name; do
    for built in "$build/bin/$name" "$build/packaging/$name"; do
        if [ -f "$built" ]; then
            touch -r "$built" "$work/times/${#touched[@]}"
            touched+=("$built")
            touch -d "@$later" "$built"
        fi
    done
done < <(find "$work/root" -type f -printf '%f\n' | sort -u)
[ ${#touched[@]} -ge 5 ] || fail "only ${#touched[@]} of the packaged files found in $build"
build_packages "$work/second"
restore_times
for package in "$deb" "$web_deb"; do
    cmp "$package" "$work/second/$(basename "$package")" || fail "a second build of $(basename "$package") differs"
done
echo "a second build with the built files a minute younger: the same bytes"

# Guards: a package that lintian finds errors in.
if ! command -v lintian >/dev/null; then
    skip_or_fail "in part: install lintian to check the package with it"
fi
status=0
# lintian leaves files of its own in TMPDIR; here they go with the rest.
TMPDIR=$work lintian --fail-on none --tag-display-limit 0 "$deb" "$web_deb" >"$work/lintian.log" 2>&1 || status=$?
cat "$work/lintian.log"
[ "$status" -eq 0 ] || fail "lintian could not check the packages (status $status)"
if grep -q "^E: " "$work/lintian.log"; then
    fail "lintian reports errors"
fi
echo "lintian: no errors"
