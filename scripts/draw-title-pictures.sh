#!/usr/bin/env bash
# Builds the picture tool and draws the four title pictures uma01.jpg .. uma04.jpg into assets/.
# BUILD_DIR chooses the build folder (default: build/).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$here/build}
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S "$here" -B "$build_dir" -G Ninja > /dev/null
cmake --build "$build_dir" --target draw_title_pictures -j "${JOBS:-2}"
QT_QPA_PLATFORM=offscreen "$build_dir/bin/draw_title_pictures" "$here/assets"
ls -l "$here"/assets/uma0?.jpg
