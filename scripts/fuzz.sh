#!/usr/bin/env bash
# Installs clang and its fuzzing runtimes when missing, builds fuzz targets with the preset "fuzz" in build-fuzz/ and
# runs each for the given number of seconds (default 600):
#   scripts/fuzz.sh [seconds] [race_file|rewrite|tipster_block|paste|all]     the race-file reader by default
# Each target starts from its seeds (fuzz/seeds*) and keeps what it finds in build-fuzz/corpus-<target>. A target that
# finds a fault leaves the input as build-fuzz/<target>-crash-<hash>, and the script goes on with the next target and
# ends with an error naming those that failed; once fixed the input goes into the target's regression inputs under
# tests/ (fuzz/CMakeLists.txt).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
which=${2:-race_file}
seeds_of() {
    case "$1" in
        race_file) echo seeds ;;
        rewrite) echo seeds-rewrite ;;
        tipster_block) echo seeds-tipster-block ;;
        paste) echo seeds-paste ;;
        *) return 1 ;;
    esac
}
if [ "$which" = all ]; then
    targets=(race_file rewrite tipster_block paste)
elif seeds_of "$which" > /dev/null; then
    targets=("$which")
else
    echo "unknown fuzz target: $which (race_file, rewrite, tipster_block, paste or all)" >&2
    exit 2
fi
"$here/scripts/deps.sh" fuzz
jobs=$(nproc 2>/dev/null || echo 2)
(cd "$here" && cmake --preset fuzz > /dev/null && cmake --build --preset fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}")
failed=()
for target in "${targets[@]}"; do
    echo "== fuzz_$target for $seconds s"
    corpus="$here/build-fuzz/corpus-$target"
    mkdir -p "$corpus"
    # The race-file targets share one dictionary of race-file pieces; a target without one goes without.
    dict=()
    case "$target" in
        race_file | rewrite) dict=(-dict="$here/fuzz/race_file.dict") ;;
    esac
    "$here/build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" \
        -artifact_prefix="$here/build-fuzz/$target-" "$corpus" "$here/fuzz/$(seeds_of "$target")" || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: faults found by: ${failed[*]} (inputs in build-fuzz/)" >&2
    exit 1
fi
