#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless, first in a release build and then
# once more with AddressSanitizer and UndefinedBehaviorSanitizer; exits non-zero on any failure. Its build folders,
# build/ and build-sanitize/, get every option set here, so that nothing left in their caches changes what is tested.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
"$here/scripts/deps.sh" test
export QT_QPA_PLATFORM=offscreen

echo "== release build and tests"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DTOKIRO_BENCH=ON \
    -DTOKIRO_SANITIZE=OFF -DTOKIRO_FUZZ=OFF > /dev/null
cmake --build "$here/build" -j "$jobs"
ctest --test-dir "$here/build" --output-on-failure -j "$jobs"

if [ "${TOKIRO_SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== sanitized build and tests"
    # Light optimisation and line tables only: the sanitizers catch the same faults and report them with file and
    # line, and the build takes far less time than with full optimisation and debug information.
    cmake -S "$here" -B "$here/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DBUILD_TESTING=ON \
        -DTOKIRO_SANITIZE=ON -DTOKIRO_BENCH=OFF -DTOKIRO_FUZZ=OFF > /dev/null
    cmake --build "$here/build-sanitize" -j "$jobs"
    # Leak checking needs ptrace, which containers often forbid; memory errors and undefined behaviour are
    # still caught and end the test.
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$here/build-sanitize" --output-on-failure -j "$jobs"
fi
