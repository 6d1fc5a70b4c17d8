#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Stops unattended runs ("/a /d": decode, delete the containers, join and
# delete the parts) with SIGTERM or SIGKILL at random moments, a few
# hundred times, and checks after every stop that nothing was lost:
#  - a decoded file exists at most once, under its final name, byte for
#    byte, and a container is gone only when its decoded file is complete;
#  - every part still on disk holds all its bytes, the joined file is whole
#    whenever it is there (a stopped join used to leave a cut one under
#    the real name), and it is there as soon as any part is gone;
#  - a run stopped by SIGTERM leaves no hidden temporary.
# After every stop, a run on a copy of what it left, and at the end of a
# round a run on the folder itself, must finish: every decoded file exists
# exactly once, no container is left, no hidden temporary remains, the
# joined file is whole and its first part gone.
#   crash_test.sh BUILD_DIR [KILLS] [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
wanted_kills=${2:-300}
budget=${3:-50}
binary=$build/bin/vexorama
encode=$build/bin/vexo-encode
for tool in "$binary" "$encode"; do
    [ -x "$tool" ] || { echo "missing $tool: build the tree first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexo-crash.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The program keeps its settings beside itself: run a copy.
mkdir -p "$work/program" "$work/originals" "$work/seed"
program=$work/program/vexorama
cp "$binary" "$program"
export QT_QPA_PLATFORM=offscreen

# Originals: four files to encode, one to split into five parts.
# Not *.avi or *.jpg: a later run would take them for encoded files.
decoded_names=(alpha.bin beta.bin gamma.dat delta.dat)
sizes=(9000000 700000 12600000 35536)
for i in "${!decoded_names[@]}"; do
    head -c "${sizes[$i]}" /dev/urandom > "$work/originals/${decoded_names[$i]}"
    "$encode" --key $((i * 61 + 7)) --leading $((i * 1000)) --name "${decoded_names[$i]}" \
        "$work/originals/${decoded_names[$i]}" "$work/seed/c$i.avi" > /dev/null
done
joined=movie.mkv
part_size=3000000
head -c $((5 * part_size)) /dev/urandom > "$work/originals/$joined"
(cd "$work/seed" && split -b "$part_size" "$work/originals/$joined" "$joined.")
parts=("$work"/seed/"$joined".a?)
part_count=${#parts[@]}

failures=0
fail() {
    echo "FAILED after kill $kills (round $round): $*" >&2
    failures=$((failures + 1))
}

# Checks the folder as a kill (or a finished run) left it.
check_folder() {
    local folder=$1 finished=$2
    for i in "${!decoded_names[@]}"; do
        local name=${decoded_names[$i]} original=$work/originals/${decoded_names[$i]}
        if [ -e "$folder/$name" ] && ! cmp -s "$folder/$name" "$original"; then
            fail "$name is not the decoded file"
        fi
        if [ -e "$folder/(1)$name" ]; then
            fail "$name was decoded twice"
        fi
        if [ ! -e "$folder/c$i.avi" ] && [ ! -e "$folder/$name" ]; then
            fail "c$i.avi is gone but $name is not there"
        fi
        if [ "$finished" = yes ] && { [ -e "$folder/c$i.avi" ] || [ ! -e "$folder/$name" ]; }; then
            fail "a finished run left c$i.avi undecoded"
        fi
    done
    local k missing=0 first_there=no
    for ((k = 0; k < part_count; k++)); do
        local part_name
        part_name=$(basename "${parts[$k]}")
        if [ ! -e "$folder/$part_name" ]; then
            missing=$((missing + 1))
        else
            [ "$k" -eq 0 ] && first_there=yes
            cmp -s "$folder/$part_name" "${parts[$k]}" || fail "$part_name lost bytes"
        fi
    done
    if [ -e "$folder/$joined" ]; then
        cmp -s "$folder/$joined" "$work/originals/$joined" || fail "$joined is there but not whole"
    elif [ "$missing" -gt 0 ]; then
        fail "parts were deleted but $joined is missing"
    fi
    if [ "$finished" = yes ]; then
        if compgen -G "$folder/.vexorama-*" > /dev/null; then
            fail "a finished run left a hidden temporary"
        fi
        if [ "$first_there" = yes ] || [ ! -e "$folder/$joined" ]; then
            fail "a finished run left the parts unjoined"
        fi
    fi
}

# How long a whole run takes here: the kills fall anywhere within it.
cp -r "$work/seed" "$work/calibration"
calibration_start=$(date +%s%N)
"$program" /a /d "$work/calibration" > /dev/null 2>&1
run_ms=$(( ($(date +%s%N) - calibration_start) / 1000000 ))
rm -rf "$work/calibration"
[ "$run_ms" -ge 20 ] || run_ms=20

kills=0
terms=0
round=0
start=$SECONDS
while [ "$kills" -lt "$wanted_kills" ] && [ $((SECONDS - start)) -lt "$budget" ]; do
    round=$((round + 1))
    folder=$work/round-$round
    cp -r "$work/seed" "$folder"
    # Some stops, each at a random moment of its run, then a run to the end.
    for ((attempt = 0; attempt < 6; attempt++)); do
        "$program" /a /d "$folder" > /dev/null 2>&1 &
        pid=$!
        delay=$(( (RANDOM * 32768 + RANDOM) % run_ms ))
        sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
        if [ $((RANDOM % 2)) -eq 0 ]; then signal=TERM; terms=$((terms + 1)); else signal=KILL; fi
        kill -"$signal" "$pid" 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
        kills=$((kills + 1))
        check_folder "$folder" no
        if [ "$signal" = TERM ] && compgen -G "$folder/.vexorama-*" > /dev/null; then
            fail "SIGTERM left a hidden temporary"
        fi
        # What this stop left can always be finished.
        rm -rf "$work/rerun"
        cp -a "$folder" "$work/rerun"
        "$program" /a /d "$work/rerun" > /dev/null 2>&1 || fail "the run after a stop failed"
        check_folder "$work/rerun" yes
    done
    if ! "$program" /a /d "$folder" > /dev/null 2>&1; then
        fail "the finishing run failed"
    fi
    check_folder "$folder" yes
    rm -rf "$folder"
done

echo "$kills stops ($terms by SIGTERM) in $round rounds (a whole run takes $run_ms ms), $((SECONDS - start)) s, $failures failures"
[ "$failures" -eq 0 ]
