#!/usr/bin/env bash
# Installs what is missing, checks the sources' format, builds everything and runs every test headless, first in a
# release build and then once more with AddressSanitizer and UndefinedBehaviorSanitizer; exits non-zero on any failure.
# The builds are the presets "test" (build/) and "sanitize" (build-sanitize/) of CMakePresets.json, which set every
# option each time, so that nothing left in their caches changes what is tested; a warning fails both.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here"
jobs=$(nproc 2>/dev/null || echo 2)
scripts/deps.sh test

echo "== format"
if ! scripts/format.sh --check; then
    echo "test.sh: these sources are not in the house style; scripts/format.sh puts them in it" >&2
    exit 1
fi

echo "== release build and tests"
cmake --preset test > /dev/null
cmake --build --preset test -j "$jobs"
ctest --preset test -j "$jobs"

if [ "${TOKIRO_SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== sanitized build and tests"
    # The sanitize preset builds with light optimisation and line tables only: the sanitizers catch the same faults
    # and report them with file and line, and the build takes far less time. Its tests run without leak checking,
    # which needs ptrace, which containers often forbid; memory errors and undefined behaviour still end the test.
    cmake --preset sanitize > /dev/null
    cmake --build --preset sanitize -j "$jobs"
    ctest --preset sanitize -j "$jobs"
fi
