#!/usr/bin/env bash
# Installs what is missing, builds the program with the preset "run" in build-run/ (a folder of its own, so that it
# never changes the options of the test build) and starts トキロ in a race folder: the folder given as the first
# argument, or the current folder. Race files are kept there.
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
(cd "$here" && cmake --preset run > /dev/null && cmake --build --preset run -j "$jobs")
cd "$race_folder"
exec "$here/build-run/bin/tokiro"
