#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Pelmora twice (optimised, and debug with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test under both.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh
echo "== format check"
scripts/format.sh --check

for flavour in release asan; do
  echo "== $flavour build"
  scripts/build.sh "$flavour"
  echo "== $flavour tests"
  ctest --test-dir "build/$flavour" --output-on-failure -j "$jobs"
done
echo "== all tests passed"
