#!/usr/bin/env bash
# Sets up, builds Pelmora and plays a short demo phrase through Pelmora.so with the host tool,
# offline, into out/pelmora-demo.wav (printing its length, peak and RMS level), then opens the
# editor headless and saves it as out/pelmora-editor.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
mkdir -p out
build/release/tools/pelmora-host render build/release/instrument/Pelmora.so \
  -o out/pelmora-demo.wav
# The editor, opened headless (no display server needed) and saved as a picture: with a support
# folder of its own, so that it shows the default patch at 100 % with the keyboard, whatever the
# user's settings and presets are.
editor_home=$(mktemp -d)
trap 'rm -rf "$editor_home"' EXIT
XDG_DATA_HOME="$editor_home" build/release/tools/pelmora-host editor-png \
  build/release/instrument/Pelmora.so -o out/pelmora-editor.png
echo "Demo audio: out/pelmora-demo.wav; editor picture: out/pelmora-editor.png"
