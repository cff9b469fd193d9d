#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Pelmora twice (optimised, and debug with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test under both, then runs the
# threading tests under ThreadSanitizer.
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
# ThreadSanitizer: only the threading tests, built alone to keep CI short. A report fails them.
echo "== tsan threading tests"
scripts/build.sh tsan --target test_dsp_threads test_engine_threads test_instrument_threads \
  test_editor_threads
build/tsan/tests/instrument/dsp/threads/test_dsp_threads
build/tsan/tests/instrument/engine/threads/test_engine_threads
build/tsan/tests/instrument/threads/test_instrument_threads
build/tsan/tests/instrument/editor/threads/test_editor_threads
# Fuzzing: the SVG, state chunk and preset readers for a bounded time under ASan and UBSan.
echo "== fuzz"
scripts/fuzz.sh 30
echo "== all tests passed"
