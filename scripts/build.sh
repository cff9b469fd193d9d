#!/usr/bin/env bash
# Configures and builds one flavour of Pelmora into build/<flavour>.
#   scripts/build.sh release   optimised build (the plug-in, tools, tests, benchmarks)
#   scripts/build.sh asan      debug build with AddressSanitizer and UndefinedBehaviorSanitizer
#                              (float-to-int conversions out of range included)
#   scripts/build.sh tsan      debug build with ThreadSanitizer (the threading tests use it)
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
case "$flavour" in
  release) args=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) args=(-DCMAKE_BUILD_TYPE=Debug -DPELMORA_SANITIZE=address,undefined,float-cast-overflow) ;;
  tsan) args=(-DCMAKE_BUILD_TYPE=Debug -DPELMORA_SANITIZE=thread) ;;
  *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
shift || true
cmake -S . -B "build/$flavour" -G Ninja "${args[@]}" >/dev/null
cmake --build "build/$flavour" "$@"
