#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it
# (the repository's .clang-format). Lists the differences; changes nothing.
#   scripts/check-format.sh            every tracked .cpp and .h
#   scripts/check-format.sh FILE...    only those
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && exit 0
if clang-format --dry-run -Werror "${files[@]}"; then
    echo "check-format: ${#files[@]} files formatted"
else
    echo "check-format: run clang-format -i on the files above" >&2
    exit 1
fi
