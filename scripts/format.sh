#!/usr/bin/env bash
# Formats the project's C and C++ sources with clang-format, or checks them with --check.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' '*.c' '*.hpp' | grep -v -E '^(third_party|build)/' || true)
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
