#!/usr/bin/env bash
# Peak memory of the program at its title screen against a bare Qt window with one Japanese label (bench/bare_window),
# both under Xvfb, as GNU time reports it ("Maximum resident set size"). Each program runs for a few seconds, through
# the title's whole picture animation, and is then ended; the medians of five runs and their ratio are printed.
# `scripts/measure-memory.sh [build folder]` (default build/); needs xvfb-run and /usr/bin/time
# (`apt-get install xvfb time`).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$here/build}/bin" && pwd)
runs=5
for tool in xvfb-run /usr/bin/time; do
    command -v "$tool" > /dev/null || { echo "measure-memory.sh: $tool is missing (apt-get install xvfb time)" >&2; exit 1; }
done
# The program starts in an empty race folder of its own, as on a first start.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

peak() { # program -> kilobytes; the program ends by the signal, so its exit status says nothing
    local report
    report=$(cd "$folder" && xvfb-run -a -s "-screen 0 1280x1024x24" /usr/bin/time -v timeout -s TERM 4 "$1" 2>&1 \
        >/dev/null) || true
    awk '/Maximum resident set size/ { print $NF }' <<< "$report"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

bare=$(for _ in $(seq $runs); do peak "$bin/bare_window"; done | median)
program=$(for _ in $(seq $runs); do peak "$bin/tokiro"; done | median)
awk -v b="$bare" -v p="$program" 'BEGIN {
    printf "bare window with one label  %7.1f MB\n", b / 1024
    printf "program at its title screen %7.1f MB  (%.2f x the bare window)\n", p / 1024, p / b }'
