#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# build/fuzz and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS]   (default 30 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELMORA_FUZZ=ON -DPELMORA_SANITIZE=address,undefined >/dev/null
cmake --build build/fuzz --target fuzz_svg_reader fuzz_state_chunk fuzz_preset_file

# SVG reader: seeded with the project's own images.
corpus=build/fuzz/corpus/svg
mkdir -p "$corpus"
build/fuzz/fuzz/fuzz_svg_reader -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -print_final_stats=1 "$corpus" resources/img tests/framework/graphics/platforms/linux/svg

# The state chunk and preset file readers: seeded with a chunk and a preset from fuzz/seeds,
# copied into scratch corpora; a failed round trip of an accepted input aborts.
for target in state_chunk preset_file; do
  corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  cp fuzz/seeds/$target/* "$corpus/"
  "build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -print_final_stats=1 "$corpus"
done
