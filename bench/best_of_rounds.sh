# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the benchmarks that time tools in rotating rounds; source it.
#
# best_of_rounds ROUNDS OUT CHECK TOOL...
#   Runs run_<TOOL> for every tool in every round, in an order that rotates
#   from round to round so that load from elsewhere falls on all alike.
#   Before each run OUT is removed and dirty pages are flushed; after each
#   tool's first run, CHECK (a command) must accept OUT. Leaves each tool's
#   best wall time and best CPU time (user + system) in best_wall[TOOL] and
#   best_cpu[TOOL], in seconds.
declare -A best_wall best_cpu

best_of_rounds() {
    local rounds=$1 out=$2 check=$3
    shift 3
    local tools=("$@") count=$# round k tool wall user sys cpu
    local TIMEFORMAT='%R %U %S'
    for ((round = 0; round < rounds; ++round)); do
        for ((k = 0; k < count; ++k)); do
            tool=${tools[(round + k) % count]}
            rm -f "$out"
            sync
            read -r wall user sys < <({ time "run_$tool" 2>&1 > /dev/null; } 2>&1)
            if ((round == 0)) && ! $check; then
                echo "$tool: wrong output" >&2
                exit 1
            fi
            cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
            if [ -z "${best_wall[$tool]:-}" ] || awk -v x="$wall" -v y="${best_wall[$tool]}" 'BEGIN { exit !(x < y) }'; then
                best_wall[$tool]=$wall
            fi
            if [ -z "${best_cpu[$tool]:-}" ] || awk -v x="$cpu" -v y="${best_cpu[$tool]}" 'BEGIN { exit !(x < y) }'; then
                best_cpu[$tool]=$cpu
            fi
        done
    done
}
