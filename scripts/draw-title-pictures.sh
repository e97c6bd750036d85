#!/usr/bin/env bash
# Builds the picture tool and draws the four title pictures uma01.jpg .. uma04.jpg into assets/.
# The tool is built with the preset "run", in build-run/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$here/build-run
(cd "$here" && cmake --preset run > /dev/null && cmake --build --preset run --target draw_title_pictures -j "${JOBS:-2}")
QT_QPA_PLATFORM=offscreen "$build_dir/bin/draw_title_pictures" "$here/assets"
ls -l "$here"/assets/uma0?.jpg
