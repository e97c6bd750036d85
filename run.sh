#!/usr/bin/env bash
# Installs what is missing, builds a release build in build/ and starts トキロ in a race folder
# (the folder given as the first argument, or the current folder: race files are kept there).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
race_folder=$(cd "${1:-.}" && pwd)
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTOKIRO_BENCH=OFF > /dev/null
cmake --build "$here/build" --target tokiro tokiro_assets
cd "$race_folder"
exec "$here/build/bin/tokiro"
