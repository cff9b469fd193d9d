#!/usr/bin/env bash
# The editor's CPU cost while in use, beside a peer's: Pelmora's editor and amsynth's VST editor
# (Debian's package `amsynth`), each opened by the host tool (`pelmora-host editor-window`, which
# makes the editor-idle call 60 times a second and processes no audio) in a window of an Xvfb
# server with Mesa's software GL, while xdotool moves the pointer as a user would:
#   hover  the pointer sweeps to and fro along a row of knobs, 4 pixels every 10 ms;
#   drag   a knob is held and dragged up and down, 2 pixels every 10 ms (40 up, 40 down).
# The figures are CPU time over the moves, as a percentage of one core: of every thread of the
# host process (utime + stime of /proc/PID/stat, so Mesa's rasteriser threads count), with the
# calling thread's share beside it, and of the host and the X server together. The second is
# the fair comparison: amsynth draws with cairo through the X server, so its drawing costs the
# server's CPU, where Pelmora rasterises in its own process and only puts the pixels to the
# server. Nothing is set in the environment of the host process.
#
#   bench/editor-cpu.sh [SECONDS]            (20 by default; build/release must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
host=build/release/tools/pelmora-host
pelmora=build/release/instrument/Pelmora.so
amsynth=${AMSYNTH_VST:-/usr/lib/vst/amsynth_vst.so}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
[[ -x $host && -f $pelmora ]] || { echo "build first: scripts/build.sh release" >&2; exit 2; }

n=90
while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
display=:$n
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
hostpid=
cleanup() {
  [[ -n $hostpid ]] && kill "$hostpid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start on $display" >&2; exit 1; }
# amsynth keeps its settings under ~/.local/share and complains when that is missing.
mkdir -p "${XDG_DATA_HOME:-$HOME/.local/share}"

ticks=$(getconf CLK_TCK)
# utime + stime of a /proc stat line (fields 14 and 15; the name field may hold blanks).
cpu_of() { sed 's/.*) //' "$1" 2>/dev/null | awk '{print $12 + $13}'; }

# The xdotool command chain of a sweep along y from x0 to x1 and back, for $seconds seconds.
hover_moves() {
  local y=$1 x0=$2 x1=$3 steps=$((seconds * 100)) x=$2 dx=4 out=()
  for ((i = 0; i < steps; i++)); do
    out+=(mousemove "$x" "$y" sleep 0.01)
    x=$((x + dx))
    if ((x >= x1 || x <= x0)); then dx=$((-dx)); fi
  done
  echo "${out[@]}"
}
# A drag on the knob at x, y: held, moved up and down by 2 pixels every 10 ms, released.
drag_moves() {
  local x=$1 y=$2 steps=$((seconds * 100)) out=(mousemove "$1" "$2" sleep 0.2 mousedown 1)
  for ((i = 0; i < steps; i++)); do
    if (((i / 40) % 2 == 0)); then out+=(mousemove_relative -- 0 -2 sleep 0.01)
    else out+=(mousemove_relative -- 0 2 sleep 0.01); fi
  done
  out+=(mouseup 1)
  echo "${out[@]}"
}

# measure NAME PLUGIN MOVE ARGS...: prints one result row.
measure() {
  local name=$1 plugin=$2 move=$3
  shift 3
  local log
  log=$(mktemp)
  xdotool mousemove 1270 1010
  "$host" editor-window "$plugin" --rate 60 >"$log" 2>&1 &
  hostpid=$!
  for _ in $(seq 100); do grep -q '^window' "$log" && break; sleep 0.1; done
  grep -q '^window' "$log" || { echo "$name: the editor did not open" >&2; cat "$log" >&2; exit 1; }
  sleep 2 # the first full frame and the settling
  local moves
  moves=$("${move}_moves" "$@")
  local c0 m0 x0 t0 c1 m1 x1 t1
  c0=$(cpu_of /proc/$hostpid/stat)
  m0=$(cpu_of /proc/$hostpid/task/$hostpid/stat)
  x0=$(cpu_of /proc/$xvfb/stat)
  t0=$(date +%s.%N)
  # shellcheck disable=SC2086
  xdotool $moves
  c1=$(cpu_of /proc/$hostpid/stat)
  m1=$(cpu_of /proc/$hostpid/task/$hostpid/stat)
  x1=$(cpu_of /proc/$xvfb/stat)
  t1=$(date +%s.%N)
  local threads
  threads=$(ls /proc/$hostpid/task | wc -l)
  kill "$hostpid"
  wait "$hostpid" 2>/dev/null || true
  hostpid=
  rm -f "$log"
  awk -v n="$name" -v mv="$move" -v c="$((c1 - c0))" -v m="$((m1 - m0))" -v x="$((x1 - x0))" \
    -v hz="$ticks" -v t0="$t0" -v t1="$t1" -v th="$threads" \
    'BEGIN { w = t1 - t0
             printf "%-8s %-6s host %5.1f %% of a core (calling thread %5.1f %%, %d threads), host + X server %5.1f %% (%.1f s)\n",
                    n, mv, 100 * c / hz / w, 100 * m / hz / w, th, 100 * (c + x) / hz / w, w }'
}

# The rows of knobs swept and the knob dragged, in each editor's window pixels.
measure Pelmora "$pelmora" hover 97 200 990
measure Pelmora "$pelmora" drag 815 97
if [[ -f $amsynth ]]; then
  measure amsynth "$amsynth" hover 285 20 580
  measure amsynth "$amsynth" drag 345 133
else
  echo "amsynth: $amsynth not found (apt-get install amsynth)"
fi
