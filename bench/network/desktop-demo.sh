#!/usr/bin/env bash
# Two desktop stations and a collector on one machine, through a real Mosquitto, under
# a window manager: both stations listen to a KiwiSDR stand-in (simulated beacons on all
# five bands), publish every slot and show each other's results; the broker is stopped
# for a full minute in the middle. At the end every slot-log record of both stations
# must be in the collector's store exactly once. Screenshots go to OUT.
#   bench/network/desktop-demo.sh [BUILD_DIR=build] [OUT=BUILD_DIR/network-demo]
# Needs: xvfb-run, openbox, xdotool, wmctrl, ImageMagick, mosquitto, a sound server
# (tests/run-tests.sh starts one) and the benchmarks built (kiwi_demo_server).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=$(cd "${1:-build}" && pwd)
OUT=${2:-$BUILD/network-demo}
WARM=${WARM:-100}       # seconds before the broker stops
OUTAGE=${OUTAGE:-60}    # seconds without a broker
AFTER=${AFTER:-60}      # seconds after it is back
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/xdg-runtime-$(id -u)}

if [ -z "${DISPLAY_READY:-}" ]; then
  exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$BUILD" "$OUT"
fi

DIR=$(mktemp -d /tmp/harkola-network-demo.XXXXXX)
mkdir -p "$OUT"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
MQ=$(port); KIWI=$(port)

# The broker, as a collector needs it: persistent sessions kept on disk, no cap on the
# messages queued for a collector that is away.
mkdir -p "$DIR/mq"
cat > "$DIR/mq/mosquitto.conf" <<CONF
listener $MQ 127.0.0.1
allow_anonymous true
persistence true
persistence_location $DIR/mq/
autosave_interval 10
max_queued_messages 0
max_inflight_messages 100
$( [ "$(id -u)" -eq 0 ] && echo "user root" )
CONF
start_broker() { mosquitto -c "$DIR/mq/mosquitto.conf" >> "$DIR/mq/log" 2>&1 & broker=$!; pids+=($broker); sleep 0.5; }
start_broker
"$BUILD/harkola-cli" collect --broker "mqtt://127.0.0.1:$MQ" --store "$DIR/store.sqlite" > "$DIR/collector.log" 2>&1 &
collector=$!; pids+=($collector)
"$BUILD/kiwi_demo_server" "$KIWI" > "$DIR/kiwi.log" 2>&1 & pids+=($!)
openbox > /dev/null 2>&1 & pids+=($!)
sleep 1

# Two stations: G4ABC at the shipped home (London, miles) and OH2XYZ in Helsinki (km).
station() {  # NAME CALL LOCATOR [HOME LINE]
  local d="$DIR/$1"
  mkdir -p "$d/data" "$d/log"
  cp resources/defaults/BeaconData.dat resources/defaults/HomeData.dat "$d/data/"
  cp resources/defaults/RigData-Kenwood.dat "$d/data/RigData.dat"
  cp "resources/defaults/Chart Sample.csv" "$d/log/"
  [ -n "${4:-}" ] && printf '%s\r\n' "$4" > "$d/data/HomeData.dat"
  printf '"Publish","True"\r\n"ShowNetwork","True"\r\n"Broker","mqtt://127.0.0.1:%s"\r\n"Station","%s"\r\n"Locator","%s"\r\n"History","%s"\r\n' \
    "$MQ" "$2" "$3" "$DIR/store.sqlite" > "$d/data/Network.dat"
  HARKOLA_LOG_FOLDER="$d/log" "$BUILD/harkola" --data-folder "$d/data" --receiver "kiwi:127.0.0.1:$KIWI" \
    --propagation > "$d/harkola.log" 2>&1 &
  pids+=($!)
}
station a G4ABC IO91wm
sleep 3
station b OH2XYZ KP20lb '"Helsinki","60","10","North","24","56","East","Kilometres","Demo station"'
sleep 8

windows() { xdotool search --name "$1" 2>/dev/null || true; }
shoot() {  # FILE: the whole screen
  import -window root "$OUT/$1"
}
network_tabs() {  # the Network tab of every propagation window
  for w in $(windows "Propagation"); do
    xdotool windowactivate --sync "$w" 2>/dev/null || true
    xdotool mousemove --window "$w" 140 16 click 1
  done
  sleep 1
}
arrange() {  # main windows side by side at the top, B's propagation window below
  local mains=($(windows '^Harkola 5 $'))
  local props=($(windows 'Propagation'))
  [ ${#mains[@]} -ge 2 ] || return 0
  wmctrl -i -r "${mains[0]}" -e 0,0,0,-1,-1
  wmctrl -i -r "${mains[1]}" -e 0,800,0,-1,-1
  for w in $(windows '^Receiver$'); do wmctrl -i -r "$w" -b add,hidden 2>/dev/null || xdotool windowminimize "$w"; done
  # wmctrl sizes the window but openbox keeps it where Qt centred it; xdotool moves it.
  for w in "${props[@]}"; do wmctrl -i -r "$w" -e 0,0,300,1600,680; xdotool windowmove "$w" 0 300; done
  xdotool windowactivate --sync "${props[-1]}" 2>/dev/null || true
  sleep 1
}

sleep "$WARM"
network_tabs
arrange
shoot network-screen.png
w=$(windows 'Propagation' | tail -1)
import -window "$w" "$OUT/network-view.png"
echo "before the outage: $(tail -1 "$DIR/collector.log")"

kill "$broker"; wait "$broker" 2>/dev/null || true
echo "broker stopped for $OUTAGE s"
sleep $((OUTAGE / 2))
for m in $(windows '^Harkola 5 $'); do xdotool windowactivate --sync "$m" 2>/dev/null || true; done
shoot network-offline.png
sleep $((OUTAGE - OUTAGE / 2))
start_broker
echo "broker back"
sleep "$AFTER"
shoot network-after.png

# Every record of both slot logs in the store exactly once, or still in a spool.
waiting() { python3 - "$1" <<'PY'
import sys
r, a = set(), set()
for line in open(sys.argv[1], encoding="latin-1"):
    f = line.split(" ")
    if f[0] == "R": r.add(f[1])
    elif f[0] == "A": a.add(f[1])
print(len(r - a))
PY
}
for s in a b; do
  for i in $(seq 100); do [ "$(waiting "$DIR/$s/log/Harkola 5 Network Spool.txt")" = 0 ] && break; sleep 0.2; done
done
for m in $(windows '^Harkola 5 $'); do wmctrl -i -c "$m"; done
sleep 4
kill -TERM "$collector"; wait "$collector" 2>/dev/null || true
python3 - "$DIR" <<'PY'
import csv, sqlite3, sys, os
d = sys.argv[1]
db = sqlite3.connect(os.path.join(d, "store.sqlite"))
bad = 0
for name, call in (("a", "G4ABC"), ("b", "OH2XYZ")):
    keys = set()
    with open(os.path.join(d, name, "log", "Harkola 5 Slot Log.csv"), encoding="latin-1") as f:
        for row in csv.reader(f):
            keys.add((row[0], int(row[1])))
    spool = os.path.join(d, name, "log", "Harkola 5 Network Spool.txt")
    r, a = set(), set()
    for line in open(spool, encoding="latin-1"):
        p = line.split(" ")
        if p[0] == "R": r.add(p[1])
        elif p[0] == "A": a.add(p[1])
    rows = db.execute("select slot_start, band from slot_reports where station=?", (call,)).fetchall()
    distinct = len(set(rows))
    import datetime
    stored = {(datetime.datetime.fromtimestamp(t, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ"), b) for t, b in rows}
    lost = keys - stored
    print(f"{call}: {len(keys)} slot-log records, {len(rows)} stored ({len(rows) - distinct} duplicated), "
          f"{len(lost)} missing, {len(r - a)} still waiting in its spool")
    bad += len(rows) - distinct + max(0, len(lost) - len(r - a))
sys.exit(1 if bad else 0)
PY
echo "collector: $(grep -c . "$DIR/collector.log") log lines, last: $(tail -1 "$DIR/collector.log")"
echo "screenshots in $OUT; files in $DIR"
