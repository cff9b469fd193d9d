#!/usr/bin/env bash
# Checks Pelmora's parameters in two real Linux hosts, headless: Ardour 7 and qtractor.
# Not part of CI (.ci/run): it installs and drives whole hosts (under Xvfb where needed).
#
#   scripts/build.sh release -j3          # once: Pelmora.so and the host tool
#   scripts/host-check.sh [PLUGIN.so]     # default: build/release/instrument/Pelmora.so
#
# Run as root or with sudo on Debian 12. It installs what it needs from Debian (ardour, qtractor,
# jackd2, Xvfb, the ALSA and JACK headers), idempotently, and builds two small helpers from
# scripts/host-check/: an LD_PRELOAD library standing in for the ALSA sequencer (these machines
# have no /dev/snd/seq, without which qtractor's engine does not start) and a client of JACK's
# session protocol that has qtractor save and quit.
#
# 1. Ardour 7 headless (ardour7-lua, dummy audio back end): a MIDI track with the plug-in; one
#    parameter of each kind is set through Ardour's own automation control at the value Ardour's
#    generic slider gives, two more by automation lanes; the session is saved, reopened, saved.
# 2. Ardour 7's window (Xvfb, JACK's dummy driver): that session is opened, the plug-in's editor
#    is opened from the mixer strip, its "Init Preset" is chosen and Ardour saves: the values
#    Ardour saves beside the chunk must be the new sound's.
# 3. qtractor (Xvfb, JACK's dummy driver): a session with the plug-in and parameter values is
#    opened, saved, reopened from that save and saved again.
# What the plug-in holds is decoded from the chunk each host saved (pelmora-host load-chunk).
# Prints a table per check; exits 1 when a row fails, 2 when a host cannot be driven.
# Logs and sessions stay in the work folder it names (/tmp/pelmora-host-check.*). About 35 s
# once the hosts are installed.
#
# PELMORA_HOST overrides the host tool (default: build/release/tools/pelmora-host).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
plugin=$(realpath "${1:-$repo/build/release/instrument/Pelmora.so}")
host_tool=$(realpath "${PELMORA_HOST:-$repo/build/release/tools/pelmora-host}")
for f in "$plugin" "$host_tool"; do
  if [ ! -x "$f" ] && [ ! -f "$f" ]; then
    echo "host-check: $f is missing; build first: scripts/build.sh release -j3" >&2
    exit 2
  fi
done

packages=(
  ardour qtractor jackd2                                  # the hosts, JACK for the windowed ones
  xvfb xauth xdotool x11-utils                            # their X server and the pointer
  gcc libc6-dev libasound2-dev libjack-jackd2-dev python3 # the helpers and the driver
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  echo "host-check: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # jackd2 asks whether to allow real-time priority; the dummy driver runs without it.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

helpers=$(mktemp -d /tmp/pelmora-host-check-helpers.XXXXXX)
trap 'rm -rf "$helpers"' EXIT
src="$repo/scripts/host-check"
# The sequencer's stand-in answers most calls without looking at their arguments.
gcc -shared -fPIC -O2 -Wall -Wextra -Werror -Wno-unused-parameter \
  -o "$helpers/fake-alsa-seq.so" "$src/fake-alsa-seq.c" -lasound
# The session protocol is deprecated in JACK's headers, and still what qtractor answers.
gcc -O2 -Wall -Wextra -Werror -Wno-deprecated-declarations -o "$helpers/jack-session-save" \
  "$src/jack-session-save.c" -ljack

python3 "$src/host_check.py" "$plugin" "$host_tool" "$helpers"
