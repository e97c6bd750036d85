#!/usr/bin/env bash
# Installs clang and its fuzzing runtimes when missing, builds a fuzz target in build-fuzz/ and runs it for the given
# number of seconds (default 600) with the preset "fuzz": `scripts/fuzz.sh [seconds] [race_file|rewrite]`, the reader by default. A crash
# leaves crash-<hash> in the current folder; once fixed it goes into tests/racefile/fuzz_regressions (the reader's) or
# tests/racefile/fuzz_rewrite_regressions (the rewrite's).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
target=${2:-race_file}
case "$target" in
    race_file) corpus=corpus seeds=seeds ;;
    rewrite) corpus=corpus-rewrite seeds=seeds-rewrite ;;
    *) echo "unknown fuzz target: $target (race_file or rewrite)" >&2; exit 2 ;;
esac
"$here/scripts/deps.sh" fuzz
jobs=$(nproc 2>/dev/null || echo 2)
(cd "$here" && cmake --preset fuzz > /dev/null && cmake --build --preset fuzz -j "$jobs" --target "fuzz_$target")
mkdir -p "$here/build-fuzz/$corpus"
"$here/build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -dict="$here/fuzz/race_file.dict" \
    "$here/build-fuzz/$corpus" "$here/fuzz/$seeds"
