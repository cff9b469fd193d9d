#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# build/fuzz and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS]   (default 30 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELMORA_FUZZ=ON -DPELMORA_SANITIZE=address,undefined >/dev/null
cmake --build build/fuzz --target fuzz_svg_reader

# SVG reader: seeded with the project's own images.
corpus=build/fuzz/corpus/svg
mkdir -p "$corpus"
build/fuzz/fuzz/fuzz_svg_reader -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -print_final_stats=1 "$corpus" resources/img tests/framework/graphics/platforms/linux/svg
