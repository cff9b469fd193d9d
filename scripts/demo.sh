#!/usr/bin/env bash
# Sets up, builds Pelmora and plays a short demo phrase through Pelmora.so with the host tool,
# offline, into out/pelmora-demo.wav; prints its length, peak and RMS level.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
mkdir -p out
build/release/tools/pelmora-host render build/release/instrument/Pelmora.so \
  -o out/pelmora-demo.wav
