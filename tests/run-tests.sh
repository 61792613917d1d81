#!/usr/bin/env bash
# Runs every test of a build folder. Starts a private PulseAudio server with a null
# sink for the audio tests when PulseAudio is installed, and gives the tests an X
# display (Xvfb) for the 3-D chart tests; the window tests themselves run offscreen.
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/xdg-runtime-$(id -u)}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
keepalive=""
cleanup() { [ -n "$keepalive" ] && kill "$keepalive" 2>/dev/null || true; }
trap cleanup EXIT

if command -v pulseaudio >/dev/null && ! pactl info >/dev/null 2>&1; then
  pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --log-target=file:/tmp/harkola-pulse.log \
    -L module-native-protocol-unix \
    -L "module-null-sink sink_name=test_sink rate=11025 channels=1" \
    -L "module-remap-source master=test_sink.monitor source_name=test_mic" || true
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
fi
if pactl info >/dev/null 2>&1; then
  pactl set-default-sink test_sink 2>/dev/null || true
  pactl set-default-source test_mic 2>/dev/null || true
  # An idle null sink delivers audio in bursts; a quiet stream keeps it ticking.
  pacat -p --raw --rate=11025 --channels=1 --format=s16le --latency-msec=20 /dev/zero &
  keepalive=$!
fi

cd "$BUILD_DIR"
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
else
  ctest --output-on-failure
fi
