#!/usr/bin/env bash
# Processor time of the live analyser: harkola replays a recording in real time with
# automatic logging on and the analyser in test mode (spectrum and level line drawn
# every block), under Xvfb. Reads utime+stime of the process from /proc/<pid>/stat
# at the start and the end of a measuring window and prints the share of one core.
#
#   bench/audio/cpu-live.sh [BUILD_DIR] [SECONDS] [test|start|none] [wav|card]
# (none: the main window's clock alone, for comparison; card: capture from the default
# sound input instead of replaying the recording)
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
SECS=${2:-60}
MODE=${3:-test}
SOURCE=${4:-wav}
work=$(mktemp -d)
pid=""
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# 800 Hz tone in noise, longer than the measurement (the replay repeats anyway).
sox -m "|sox -n -r 11025 -c 1 -p synth $((SECS + 30)) sine 800 vol 0.12" \
       "|sox -n -r 11025 -c 1 -p synth $((SECS + 30)) whitenoise vol 0.05" \
       -b 16 -e signed-integer "$work/tone.wav"

# The default data files in place, so no first-start notices wait for a click.
src=$(cd "$(dirname "$0")/../.." && pwd)/resources/defaults
export HARKOLA_LOG_FOLDER="$work/logs"
mkdir -p "$work/data" "$HARKOLA_LOG_FOLDER"
cp "$src/BeaconData.dat" "$src/HomeData.dat" "$work/data/"
cp "$src/RigData-Kenwood.dat" "$work/data/RigData.dat"
cp "$src/Chart Sample.csv" "$HARKOLA_LOG_FOLDER/"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$BUILD/harkola" --data-folder "$work/data" \
  $([ "$SOURCE" = card ] || echo --audio-file "$work/tone.wav") \
  $([ "$MODE" = none ] || echo --auto-log "$MODE") \
  >"$work/out.log" 2>&1 &
# The program itself (xvfb-run is a shell around it); measured once the splash has
# gone and capture runs.
for _ in $(seq 100); do
  pid=$(pgrep -f "^$BUILD/harkola --data-folder $work" || true)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "harkola did not start"; cat "$work/out.log"; exit 1; }
sleep 8
# SHOT=file.png: also keep a picture of the analyser window as it runs.
if [ -n "${SHOT:-}" ]; then
  env_of() { tr '\0' '\n' <"/proc/$pid/environ" | sed -n "s/^$1=//p"; }
  export DISPLAY=$(env_of DISPLAY) XAUTHORITY=$(env_of XAUTHORITY)
  win=$(xwininfo -root -tree | awk '/"Harkola 5 AutoLog"/ {print $1; exit}' || true)
  import -window "${win:-root}" "$SHOT" || true
fi

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks "$pid"); s0=$(date +%s.%N)
sleep "$SECS"
t1=$(ticks "$pid"); s1=$(date +%s.%N)
kill "$pid"
awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s0="$s0" -v s1="$s1" 'BEGIN {
  cpu = (b - a) / hz; wall = s1 - s0;
  printf "harkola: %.2f s of processor time in %.1f s = %.2f %% of one core\n", cpu, wall, 100 * cpu / wall }'
