#!/usr/bin/env bash
# The desktop program listening to a wide-band SoapySDR device for a minute, under a
# window manager: the bench's player module (device "harkolaplay", build/soapy-modules)
# plays all five beacon bands in real time at RATE, the program takes the five channels
# out and runs its five detectors while its windows are up. At the end: the program's
# processor time (the player's own thread left out), the overflows the player counted,
# and a screenshot of the screen with the Receiver window in front.
#   bench/receiver/desktop-20msps.sh [BUILD_DIR=build] [OUT=BUILD_DIR/receiver-desktop]
# RATE (default 20000000 samples/s), RUN (seconds measured, default 60), PLAYER (more
# device arguments, e.g. buffers=32).
# Needs: xvfb-run, openbox, xdotool, wmctrl, ImageMagick, PulseAudio, and the benchmarks
# built (cmake -DHARKOLA_BUILD_BENCH=ON; targets harkola and harkolaPlayer).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=$(cd "${1:-build}" && pwd)
OUT=${2:-$BUILD/receiver-desktop}
RATE=${RATE:-20000000}
RUN=${RUN:-60}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/xdg-runtime-$(id -u)}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

if [ -z "${DISPLAY_READY:-}" ]; then
  exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$BUILD" "$OUT"
fi

# The program wants a sound server even when it listens to a receiver: a null sink, as
# the tests use.
if ! pactl info >/dev/null 2>&1; then
  pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --log-target=file:/tmp/harkola-pulse.log \
    -L module-native-protocol-unix \
    -L "module-null-sink sink_name=test_sink rate=11025 channels=1" \
    -L "module-remap-source master=test_sink.monitor source_name=test_mic" || true
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
fi

DIR=$(mktemp -d /tmp/harkola-desktop-iq.XXXXXX)
mkdir -p "$OUT" "$DIR/data" "$DIR/log" "$DIR/soapy-root"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

cp resources/defaults/BeaconData.dat resources/defaults/HomeData.dat "$DIR/data/"
cp resources/defaults/RigData-Kenwood.dat "$DIR/data/RigData.dat"
cp "resources/defaults/Chart Sample.csv" "$DIR/log/"  # else the first start writes it and says so
# Beacons for the whole run (and the start-up before it), then noise.
printf '"Source","soapy"\r\n"Bands","14,18,21,24,28"\r\n"SoapyArgs","driver=harkolaplay,seconds=%d,counts=%s%s"\r\n"Rate","%d"\r\n"Centre","0"\r\n"Gain","auto"\r\n' \
  $((RUN + 60)) "$DIR/counts" "${PLAYER:+,$PLAYER}" "$RATE" > "$DIR/data/Receiver.dat"

openbox > /dev/null 2>&1 & pids+=($!)
sleep 1
# Only this build's modules: the system's SoapySDR modules are kept out.
SOAPY_SDR_ROOT="$DIR/soapy-root" SOAPY_SDR_PLUGIN_PATH="$BUILD/soapy-modules" HARKOLA_LOG_FOLDER="$DIR/log" \
  "$BUILD/harkola" --data-folder "$DIR/data" --receiver saved > "$DIR/harkola.log" 2>&1 &
app=$!; pids+=($app)

# The stream runs once the player's thread is there (the player renders its slots first).
player=""
for _ in $(seq 600); do
  for t in /proc/$app/task/*; do [ "$(cat "$t/comm" 2>/dev/null)" = harkolaplay ] && player=${t##*/}; done
  [ -n "$player" ] && break
  kill -0 "$app" 2>/dev/null || { echo "the program ended:"; cat "$DIR/harkola.log"; exit 1; }
  sleep 0.1
done
if [ -z "$player" ]; then
  import -window root "$OUT/desktop-receiver.png"
  echo "no stream after 60 s (screenshot $OUT/desktop-receiver.png)"; cat "$DIR/harkola.log"; exit 1
fi
sleep 5  # past the start of the stream and the first blocks

ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "$1"; }  # utime + stime of a stat file
hz=$(getconf CLK_TCK)
all0=$(ticks /proc/$app/stat); play0=$(ticks /proc/$app/task/$player/stat); t0=$(date +%s.%N); c0=$(cat "$DIR/counts")
load0=$(cut -d' ' -f1-3 /proc/loadavg)
sleep "$RUN"
all1=$(ticks /proc/$app/stat); play1=$(ticks /proc/$app/task/$player/stat); t1=$(date +%s.%N); c1=$(cat "$DIR/counts")
load1=$(cut -d' ' -f1-3 /proc/loadavg)

for w in $(xdotool search --name '^Harkola 5 $' 2>/dev/null); do wmctrl -i -r "$w" -e 0,620,30,-1,-1; done
for w in $(xdotool search --name '^Receiver$' 2>/dev/null); do
  wmctrl -i -r "$w" -e 0,0,30,-1,-1
  xdotool windowactivate --sync "$w" 2>/dev/null || true
done
sleep 1
import -window root "$OUT/desktop-receiver.png"

# Close the program as a user does, so the stream stops and the player reports.
for w in $(xdotool search --name '^Harkola 5 $' 2>/dev/null); do wmctrl -i -c "$w"; done
for _ in $(seq 200); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { echo "the program did not close; stopping it"; kill "$app"; }
wait "$app" 2>/dev/null || true

python3 - "$all0" "$all1" "$play0" "$play1" "$t0" "$t1" "$hz" "$RATE" $c0 $c1 <<'PY'
import sys
a0, a1, p0, p1, t0, t1, hz, rate, s0, o0, l0, s1, o1, l1 = map(float, sys.argv[1:])
wall = t1 - t0
prog = (a1 - a0 - (p1 - p0)) / hz
play = (p1 - p0) / hz
print(f"{rate / 1e6:g} MS/s for {wall:.1f} s: the program {prog:.1f} s of processor time "
      f"({100 * prog / wall:.0f} % of one core), the player's thread {play:.1f} s ({100 * play / wall:.0f} %)")
print(f"over those {s1 - s0:.1f} s of stream: {o1 - o0:.0f} buffers lost to overflow ({l1 - l0:.0f} samples); "
      f"before them {o0:.0f} (from the stream's start)")
PY
echo "load average $load0 at the start, $load1 at the end"
grep -h "harkolaplay" "$DIR/harkola.log" | sed "s/^/whole stream, to the close: /" || echo "the player did not report (see $DIR/harkola.log)"
echo "screenshot $OUT/desktop-receiver.png; files in $DIR"
