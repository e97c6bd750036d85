#!/usr/bin/env bash
# Installs what building the package needs, makes a stripped release build in build-pkg/ and the Debian package
# build-pkg/tokiro_<version>_amd64.deb with CPack.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/deps.sh" package
jobs=$(nproc 2>/dev/null || echo 2)
# Debian's hardening flags (stack protector, fortified C library calls, format checks), as its own packages get them;
# the release type's optimisation comes after them and holds. Asked from the project's folder, which they map to ".".
flags=$(cd "$here" && echo "$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)")
cmake -S "$here" -B "$here/build-pkg" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTOKIRO_BENCH=OFF \
    -DTOKIRO_SANITIZE=OFF -DTOKIRO_FUZZ=OFF -DCMAKE_CXX_FLAGS="$flags" > /dev/null
cmake --build "$here/build-pkg" -j "$jobs"
(cd "$here/build-pkg" && cpack)
