#!/usr/bin/env bash
# Installs the Debian packages one job needs; does nothing when all are present.
#   scripts/deps.sh run       build and run the program (the default)
#   scripts/deps.sh test      the same, the checkers the tests run on the desktop entry, AppStream file, race file
#                             type and printed PDF, and
#                             clang-format for the format check
#   scripts/deps.sh fuzz      the same as run, and clang with its sanitizer and libFuzzer runtimes
#   scripts/deps.sh package   the same as run, and what CPack needs to build the Debian package
# No package is pinned to a version, so that a newer Debian brings its own.
set -euo pipefail
# libarchive-dev writes and reads the race folder's backups (zip).
# qt6-charts-dev's CMake files need Qt6OpenGL's, which bookworm ships in libqt6opengl6-dev without a dependency on it.
run=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-translations-l10n
    fonts-ipafont-mincho fonts-ipafont-gothic
    libarchive-dev
)
case "${1:-run}" in
    run) packages=("${run[@]}") ;;
    test) packages=("${run[@]}" desktop-file-utils appstream clang-format poppler-utils shared-mime-info) ;;
    fuzz) packages=("${run[@]}" clang libclang-rt-dev) ;;
    package) packages=("${run[@]}" file) ;;
    *)
        echo "usage: $0 [run|test|fuzz|package]" >&2
        exit 2
        ;;
esac
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
