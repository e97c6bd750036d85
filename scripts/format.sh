#!/usr/bin/env bash
# Applies the house style (.clang-format) to every C++ source of the project: `scripts/format.sh`.
# `scripts/format.sh --check` changes nothing and fails, naming each difference, where a file is not in that style.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
mode=(-i)
if [ "${1:-}" = --check ]; then
    mode=(--dry-run --Werror)
fi
find prediction core racefile record analysis screens app tests bench fuzz tools -type f \( -name '*.cpp' -o -name '*.h' \) \
    -print0 | sort -z | xargs -0 clang-format "${mode[@]}"
