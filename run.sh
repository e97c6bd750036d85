#!/usr/bin/env bash
# Installs what is missing, builds a release build in build-run/ (a folder of its own, so that it never changes the
# options of the test build) and starts トキロ in a race folder: the folder given as the first argument, or the
# current folder. Race files are kept there.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
folder=${1:-.}
if [ ! -d "$folder" ]; then
    echo "run.sh: the race folder \"$folder\" does not exist" >&2
    exit 1
fi
race_folder=$(cd "$folder" && pwd)
"$here/scripts/deps.sh" run
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$here" -B "$here/build-run" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTOKIRO_BENCH=OFF \
    -DTOKIRO_SANITIZE=OFF -DTOKIRO_FUZZ=OFF > /dev/null
cmake --build "$here/build-run" -j "$jobs" --target tokiro tokiro_assets
cd "$race_folder"
exec "$here/build-run/bin/tokiro"
