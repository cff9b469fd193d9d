#!/usr/bin/env bash
# Sets up, builds Pelmora and shows what it does.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
echo "Built into build/release:"
find build/release -maxdepth 3 -type f \( -name '*.so' -o -name '*.a' -o -perm -u+x \) \
  ! -path '*/CMakeFiles/*' | sort
