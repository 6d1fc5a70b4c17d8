#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Decodes, joins and downloads into folders on the file systems of USB
# sticks and memory cards: FAT (vfat) and exFAT, each made in an image file
# and mounted through FUSE (fusefat; exfat-fuse on a loop device). These
# take no hard links, no files without a name and no rename that refuses
# to replace, fold the case of names and refuse characters such as ":".
#   removable_folders_test.sh BUILD_DIR
#
# Checks, on each file system:
# Guards: a passing run on a folder that is not FAT at all (a mount that
#   fell back to the folder beneath): the folder must fold case and refuse ":".
# Guards: an unattended run ("/a /d", joining at once) that fails on such a
#   folder or leaves it wrong: every decoded file byte for byte, "clip.bin"
#   beside the user's "CLIP.bin" as "(1)clip.bin", a stored name with
#   characters FAT refuses ("x<y>.bin") as "x_y_.bin", decoded and plain
#   parts joined, every container and part gone, no hidden temporary left,
#   and the user's file untouched.
# Guards: a second run in the same folder copying files that are there
#   already ("(2)clip.bin"), joining over a different file of the joined
#   output's name (the join goes to "(1)movie.mkv"), or taking a file the
#   first run decoded for a container ("look.jpg", itself a container's
#   bytes): the folder's record of made files keeps it from going round.
# Guards: a download that fails on such a folder or lands wrong: "a:b.avi"
#   as "a_b.avi", "Case.avi" beside the user's "case.avi" as "(1)Case.avi",
#   byte for byte, "case.avi" untouched, no hidden temporary left; fetched
#   again, files already there make no copies.
#
# Skips (77; fails under CI) when FUSE, a tool or the mount is not available
# for a file system, and names which one; the other is still checked.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
source "$(dirname "$0")/../support/vexo_server.sh"
build=$(cd "$1" && pwd)
binary=$build/bin/vexorama
encode=$build/bin/vexo-encode
server=$build/bin/vexo-server
probe=$build/bin/fetch_order_probe
for tool in "$binary" "$encode" "$server" "$probe"; do
    [ -x "$tool" ] || { echo "missing $tool: build the tree first" >&2; exit 1; }
done
# Failures and the summary in one stream, in the order they came.
exec 2>&1
# The file system tools live in sbin, which a user's PATH may lack.
export PATH=$PATH:/usr/sbin:/sbin

work=$(mktemp -d "${TMPDIR:-/tmp}/vexo-media.XXXXXX")
work=$(cd "$work" && pwd -P)
mounted=()
loops=()
server_pid=
# From the kernel's table: a mount whose daemon died still counts.
is_mounted() {
    awk -v dir="$1" '$5 == dir { found = 1 } END { exit !found }' /proc/self/mountinfo
}
unmount() {
    local dir=$1 _
    for _ in 1 2 3 4 5; do
        is_mounted "$dir" || return 0
        fusermount3 -u "$dir" 2> /dev/null || fusermount -u "$dir" 2> /dev/null || umount "$dir" 2> /dev/null || sleep 0.5
    done
    is_mounted "$dir" || return 0
    umount -l "$dir" 2> /dev/null || fusermount3 -uz "$dir" 2> /dev/null || fusermount -uz "$dir" 2> /dev/null
    ! is_mounted "$dir"
}
cleanup() {
    local dir loop left=no
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2> /dev/null || true
        wait "$server_pid" 2> /dev/null || true
    fi
    for dir in "${mounted[@]}"; do
        unmount "$dir" || { echo "could not unmount $dir" >&2; left=yes; }
    done
    for loop in "${loops[@]}"; do
        losetup -d "$loop" 2> /dev/null || echo "could not detach $loop" >&2
    done
    # Never a recursive removal through a folder still mounted.
    if [ "$left" = no ]; then
        rm -rf "$work"
    else
        echo "left $work in place" >&2
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

failures=0
fs=
fail() {
    echo "FAILED on $fs: $*" >&2
    failures=$((failures + 1))
}

# The file at $1 holds exactly the bytes of $2.
same_bytes() {
    if [ ! -f "$1" ]; then
        fail "${1#"$work"/} is missing"
    elif ! cmp -s "$1" "$2"; then
        fail "${1#"$work"/} does not hold the expected bytes"
    fi
}

# The folder $1 holds exactly the names that follow.
holds_exactly() {
    local folder=$1 actual wanted
    shift
    actual=$(ls -A "$folder" | LC_ALL=C sort)
    wanted=$(printf '%s\n' "$@" | LC_ALL=C sort)
    if compgen -G "$folder/.vexorama-*" > /dev/null; then
        fail "a hidden temporary was left in ${folder#"$work"/}"
    fi
    if [ "$actual" != "$wanted" ]; then
        fail "${folder#"$work"/} holds [$(echo "$actual" | tr '\n' ' ')], expected [$(echo "$wanted" | tr '\n' ' ')]"
    fi
}

# Runs the command that follows $1 (what it is, for the messages) with its
# output in $2, for at most a minute: a run that waits at a box would wait
# for ever.
run_logged() {
    local what=$1 log=$2 status=0
    shift 2
    timeout -k 5 60 "$@" > "$log" 2>&1 < /dev/null || status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        fail "the $what did not end by itself (it waits at a box); its messages:"
        sed 's/^/    /' "$log" >&2
    elif [ "$status" -ne 0 ]; then
        fail "the $what ended with status $status; its messages:"
        sed 's/^/    /' "$log" >&2
    fi
}

# ---- Test data, made once ------------------------------------------------

mkdir -p "$work/originals" "$work/seed" "$work/again" "$work/served" "$work/runtime"
chmod 700 "$work/runtime"
originals=$work/originals
head -c 200000 /dev/urandom > "$originals/clip.bin"
head -c 100000 /dev/urandom > "$originals/xy.bin"
head -c 35536 /dev/urandom > "$originals/plain.dat"
head -c 150000 /dev/urandom > "$originals/film.mkv.aa"
head -c 150001 /dev/urandom > "$originals/film.mkv.ab"
head -c 40000 /dev/urandom > "$originals/film.mkv.ac"
cat "$originals"/film.mkv.a[abc] > "$originals/film.mkv"
# Decoded, it is a container itself.
"$encode" --key 5 --leading 0 --name abc.bin "$originals/plain.dat" "$originals/look.jpg" > /dev/null
head -c 500000 /dev/urandom > "$originals/movie.mkv"
printf "the user's own CLIP.bin\n" > "$originals/CLIP.bin"
printf "the user's own case.avi\n" > "$originals/case.avi"

# The first run: containers (one of them with the key 0, which is copied in
# the kernel), decoded parts beside a plain one, and plain parts.
"$encode" --key 77 --leading 1000 --name clip.bin "$originals/clip.bin" "$work/seed/c1.avi" > /dev/null
"$encode" --key 0 --leading 33 --name 'x<y>.bin' "$originals/xy.bin" "$work/seed/c2.jpg" > /dev/null
"$encode" --key 200 --leading 0 --name plain.dat "$originals/plain.dat" "$work/seed/c3.avi" > /dev/null
"$encode" --key 9 --leading 4096 --name film.mkv.aa "$originals/film.mkv.aa" "$work/seed/c4.avi" > /dev/null
"$encode" --key 250 --leading 7 --name film.mkv.ab "$originals/film.mkv.ab" "$work/seed/c5.jpg" > /dev/null
"$encode" --key 3 --leading 10 --name look.jpg "$originals/look.jpg" "$work/seed/c7.avi" > /dev/null
cp "$originals/film.mkv.ac" "$originals/CLIP.bin" "$work/seed/"
(cd "$work/seed" && split -b 150000 "$originals/movie.mkv" movie.mkv.)
# The second run: the same clip under another key, and the movie's parts again.
"$encode" --key 31 --leading 500 --name clip.bin "$originals/clip.bin" "$work/again/c6.avi" > /dev/null
(cd "$work/again" && split -b 150000 "$originals/movie.mkv" movie.mkv.)

# The service's waiting files.
head -c 300000 /dev/urandom > "$work/served/a:b.avi"
head -c 123456 /dev/urandom > "$work/served/Case.avi"
head -c 5000 /dev/urandom > "$work/served/notes.txt"
start_vexo_server "$server" "$work/served" "$work/server.log"

# ---- Mounting --------------------------------------------------------------

skip_reason=
fuse_usable() {
    if [ ! -c /dev/fuse ]; then
        skip_reason="there is no /dev/fuse"
    elif [ ! -r /dev/fuse ] || [ ! -w /dev/fuse ]; then
        skip_reason="/dev/fuse is not open to this user ($(id -un))"
    elif [ "$(id -u)" -ne 0 ] && ! command -v fusermount3 > /dev/null && ! command -v fusermount > /dev/null; then
        skip_reason="fusermount3 is not installed (package fuse3)"
    else
        return 0
    fi
    return 1
}

missing_tool() {
    local tool package=$2
    for tool in $1; do
        if ! command -v "$tool" > /dev/null; then
            skip_reason="$tool is not installed (package $package)"
            return 0
        fi
    done
    return 1
}

# Each mounts its file system in an image on $work/vfat or $work/exFAT;
# where it cannot, it says why in skip_reason.
mount_vfat() {
    local image=$work/vfat.img dir=$work/vfat
    missing_tool mkfs.vfat dosfstools && return 1
    missing_tool fusefat fusefat && return 1
    mkdir -p "$dir"
    truncate -s 64M "$image"
    # FAT16: fusefat reports no size at all for FAT32 (statfs gives 0
    # blocks), which would read as a full disk.
    if ! mkfs.vfat -F 16 "$image" > "$work/vfat-mkfs.log" 2>&1; then
        skip_reason="mkfs.vfat failed: $(tail -n 1 "$work/vfat-mkfs.log")"
        return 1
    fi
    mounted+=("$dir")
    # The daemon keeps the descriptors it starts with: never the test's own.
    if ! fusefat -o rw+ "$image" "$dir" > "$work/vfat-mount.log" 2>&1 < /dev/null || ! is_mounted "$dir"; then
        skip_reason="fusefat could not mount the image: $(tail -n 2 "$work/vfat-mount.log" | tr '\n' ' ')"
        return 1
    fi
}

mount_exfat() {
    local image=$work/exfat.img dir=$work/exFAT device
    missing_tool mkfs.exfat exfatprogs && return 1
    missing_tool mount.exfat-fuse exfat-fuse && return 1
    mkdir -p "$dir"
    truncate -s 64M "$image"
    if ! mkfs.exfat "$image" > "$work/exfat-mkfs.log" 2>&1; then
        skip_reason="mkfs.exfat failed: $(tail -n 1 "$work/exfat-mkfs.log")"
        return 1
    fi
    device=$image
    # As root, mount.exfat-fuse takes only a block device.
    if [ "$(id -u)" -eq 0 ]; then
        missing_tool losetup mount && return 1
        if ! device=$(losetup -f --show "$image" 2> "$work/exfat-loop.log"); then
            skip_reason="no loop device for the image: $(tail -n 1 "$work/exfat-loop.log")"
            return 1
        fi
        loops+=("$device")
    fi
    mounted+=("$dir")
    if ! mount.exfat-fuse "$device" "$dir" > "$work/exfat-mount.log" 2>&1 < /dev/null || ! is_mounted "$dir"; then
        skip_reason="mount.exfat-fuse could not mount $device: $(tail -n 2 "$work/exfat-mount.log" | tr '\n' ' ')"
        [ "$(id -u)" -eq 0 ] || skip_reason="$skip_reason (a loop device needs root)"
        return 1
    fi
}

# ---- The checks on one mounted folder --------------------------------------

check_folder() {
    local mnt=$1 program_folder=$work/$fs-program inbox=$1/inbox before
    local -a results=()

    # The folder is FAT-like: it folds case and refuses ":".
    before=$failures
    : > "$mnt/Probe.txt"
    [ -e "$mnt/probe.TXT" ] || fail "the folder does not fold the case of names: not the file system meant"
    if (: > "$mnt/x:y") 2> /dev/null; then
        fail "the folder takes \":\" in a name: not the file system meant"
        rm -f "$mnt/x:y"
    fi
    rm -f "$mnt/Probe.txt"
    [ "$failures" -eq "$before" ] || { echo "$fs: not checked further" >&2; return; }

    # A copy of the program with its settings beside it: join at once, and
    # never open a file browser.
    mkdir -p "$program_folder"
    cp "$binary" "$program_folder/vexorama"
    printf '[Prog]\nAuto=1\nAutoOpen=0\n' > "$program_folder/vexorama.INI"
    local -a run=(env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" "$program_folder/vexorama" /a /d "$mnt")

    # Decoding and joining.
    before=$failures
    cp "$work"/seed/* "$mnt/" || fail "the test files could not be copied into the folder"
    run_logged "first run" "$work/$fs-first-run.log" "${run[@]}"
    holds_exactly "$mnt" CLIP.bin "(1)clip.bin" x_y_.bin plain.dat film.mkv movie.mkv look.jpg .vexorama.made
    same_bytes "$mnt/look.jpg" "$originals/look.jpg"
    same_bytes "$mnt/(1)clip.bin" "$originals/clip.bin"
    same_bytes "$mnt/CLIP.bin" "$originals/CLIP.bin"
    same_bytes "$mnt/x_y_.bin" "$originals/xy.bin"
    same_bytes "$mnt/plain.dat" "$originals/plain.dat"
    same_bytes "$mnt/film.mkv" "$originals/film.mkv"
    same_bytes "$mnt/movie.mkv" "$originals/movie.mkv"
    results+=("decode and join: $([ "$failures" -eq "$before" ] && echo passed || echo FAILED)")

    # A second run: a clip decoded already, a decoded file that is a
    # container's bytes, and an older file of the joined output's name.
    before=$failures
    rm -f "$mnt/movie.mkv"
    printf 'an older movie.mkv\n' > "$work/older-movie.mkv"
    cp "$work/older-movie.mkv" "$mnt/movie.mkv"
    cp "$work"/again/* "$mnt/" || fail "the test files could not be copied into the folder"
    run_logged "second run" "$work/$fs-second-run.log" "${run[@]}"
    holds_exactly "$mnt" CLIP.bin "(1)clip.bin" x_y_.bin plain.dat film.mkv movie.mkv "(1)movie.mkv" look.jpg \
        .vexorama.made
    same_bytes "$mnt/(1)clip.bin" "$originals/clip.bin"
    same_bytes "$mnt/(1)movie.mkv" "$originals/movie.mkv"
    same_bytes "$mnt/movie.mkv" "$work/older-movie.mkv"
    same_bytes "$mnt/look.jpg" "$originals/look.jpg"
    results+=("second run: $([ "$failures" -eq "$before" ] && echo passed || echo FAILED)")

    # Downloading through the program's own task runner, twice.
    before=$failures
    mkdir "$inbox"
    cp "$originals/case.avi" "$inbox/" || fail "the test files could not be copied into the folder"
    local round
    for round in first second; do
        run_logged "$round fetch" "$work/$fs-$round-fetch.log" "$probe" "127.0.0.1:$http_port" "$tcp_port" "$inbox" "$work/$fs-probe.INI"
        holds_exactly "$inbox" a_b.avi "(1)Case.avi" case.avi notes.txt
        same_bytes "$inbox/a_b.avi" "$work/served/a:b.avi"
        same_bytes "$inbox/(1)Case.avi" "$work/served/Case.avi"
        same_bytes "$inbox/notes.txt" "$work/served/notes.txt"
        same_bytes "$inbox/case.avi" "$originals/case.avi"
    done
    results+=("download: $([ "$failures" -eq "$before" ] && echo passed || echo FAILED)")

    local result
    for result in "${results[@]}"; do
        echo "$fs: $result"
    done
}

skipped=()
checked=()
for fs in vfat exFAT; do
    skip_reason=
    if fuse_usable; then
        case $fs in
        vfat) mount_vfat || true ;;
        exFAT) mount_exfat || true ;;
        esac
    fi
    if [ -n "$skip_reason" ]; then
        echo "$fs: skipped: $skip_reason"
        skipped+=("$fs")
        continue
    fi
    checked+=("$fs")
    check_folder "$work/$fs"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures failures (checked: ${checked[*]}${skipped:+; skipped: ${skipped[*]}})" >&2
    exit 1
fi
if [ ${#skipped[@]} -gt 0 ]; then
    skip_or_fail "${skipped[*]} not checked${checked:+ (${checked[*]} passed)}"
fi
echo "vfat and exFAT passed"
