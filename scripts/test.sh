#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Pelmora twice (optimised, and debug with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test under both, then runs the
# threading tests under ThreadSanitizer, then fuzzes the readers of untrusted data.
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
scripts/build.sh tsan --target test_dsp_threads test_engine_threads
build/tsan/tests/instrument/dsp/threads/test_dsp_threads
build/tsan/tests/instrument/engine/threads/test_engine_threads
# libFuzzer (clang, ASan + UBSan): the readers of host chunks and preset files, 30 s each, from
# the committed seeds copied into a scratch corpus. A crash or a failed round trip fails CI.
echo "== fuzz the state chunk and preset file readers"
scripts/build.sh fuzz --target fuzz_state_chunk fuzz_preset_file
for target in state_chunk preset_file; do
  corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  cp fuzz/seeds/$target/* "$corpus/"
  log="build/fuzz/$target.log"
  if ! "build/fuzz/fuzz/fuzz_$target" -max_total_time=30 -max_len=16384 -rss_limit_mb=2048 \
    "$corpus" >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  tail -n 1 "$log"
done
echo "== all tests passed"
