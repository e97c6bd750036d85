#!/usr/bin/env bash
# Installs what building the package needs, makes a stripped release build with the preset "package" in build-pkg/
# and the Debian package build-pkg/tokiro_<version>_amd64.deb with CPack.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
"$here/scripts/deps.sh" package
jobs=$(nproc 2>/dev/null || echo 2)
# Debian's hardening flags (stack protector, fortified C library calls, format checks), as its own packages get them;
# the release type's optimisation comes after them and holds. Asked from the project's folder, which they map to ".".
flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake --preset package -DCMAKE_CXX_FLAGS="$flags" > /dev/null
cmake --build --preset package -j "$jobs"
(cd build-pkg && cpack)
