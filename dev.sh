#!/usr/bin/env bash
# Harkola developer entry point.
#   ./dev.sh run [args]   install what is missing, build, start the program (on the
#                         desktop launcher's data folder, --xdg, unless args name one)
#   ./dev.sh test         install what is missing, build, run every test
#   ./dev.sh build        build only
#   ./dev.sh deps         install the Debian packages only
#   ./dev.sh sanitize     core tests built with AddressSanitizer + UndefinedBehaviorSanitizer
#   ./dev.sh fuzz [SECONDS] build the libFuzzer harnesses (clang) and run each SECONDS (60)
# Runs as root or through sudo. Build folder: ./build (override with BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=${BUILD_DIR:-build}

PACKAGES=(build-essential cmake pkg-config ccache libgtest-dev libbenchmark-dev libfftw3-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-charts-dev qt6-datavisualization-dev
  qt6-declarative-dev qt6-multimedia-dev qt6-serialport-dev libgl1-mesa-dev
  libgl1-mesa-dri fonts-dejavu-core xvfb xauth pulseaudio pulseaudio-utils socat sox
  desktop-file-utils imagemagick python3 libhamlib-utils dpkg-dev file lintian appstream man-db
  clang-16 libclang-rt-16-dev)
PACKAGES+=(libsoapysdr-dev soapysdr-tools libliquid-dev libfftw3-dev qt6-websockets-dev nlohmann-json3-dev)  # receiver input: SoapySDR devices, channels, KiwiSDR, SigMF
PACKAGES+=(libmosquitto-dev libsqlite3-dev libpq-dev nlohmann-json3-dev mosquitto mosquitto-clients postgresql-15)  # the network: MQTT client, stores, JSON; the broker and database its tests start

deps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

build() {
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}

# The core tests under AddressSanitizer and UndefinedBehaviorSanitizer, built with Clang
# (so the transform tests also pin Clang's spectrum to the same bits): any finding ends
# the test program with an error.
sanitize() {
  local dir=${SANITIZE_DIR:-build-sanitize}
  CXX=clang++-16 cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARKOLA_SANITIZE=ON -DHARKOLA_BUILD_GUI=OFF
  cmake --build "$dir" -j"$(nproc)" --target harkola_core_tests harkola-cli
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LC_ALL=C TZ=UTC "./$dir/harkola_core_tests"
}

# Each harness runs SECONDS on a copy of its seed corpus (fuzz/corpus/NAME, which stays
# as committed). A finding (crash, sanitizer report, leak, timeout, memory over the
# limit) fails the run; its input is kept in $dir/findings/.
fuzz() {
  local seconds=${1:-60} dir=${FUZZ_DIR:-build-fuzz} failed=0
  CXX=clang++-16 cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARKOLA_FUZZ=ON \
    -DHARKOLA_BUILD_GUI=OFF -DHARKOLA_BUILD_TESTS=OFF
  cmake --build "$dir" -j"$(nproc)" --target fuzz_datafiles fuzz_heardlog fuzz_slotlog fuzz_wav fuzz_slotmessage fuzz_receiver
  mkdir -p "$dir/findings"
  for name in datafiles heardlog slotlog wav slotmessage receiver; do
    mkdir -p "$dir/corpus/$name"
    echo "== fuzz_$name for ${seconds} s"
    if ! "./$dir/fuzz_$name" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/findings/$name-" \
        "$dir/corpus/$name" "fuzz/corpus/$name" 2>"$dir/fuzz_$name.log"; then
      tail -n 60 "$dir/fuzz_$name.log" >&2
      echo "fuzz_$name: FINDING (input in $dir/findings/)" >&2
      failed=1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$dir/fuzz_$name.log" || true
  done
  return $failed
}

# The program's arguments for "run", one per line: those given, plus --xdg when they
# name no data folder, so a start from the checkout keeps the data files out of the
# sources (in the same folder as the installed program).
run_args() {
  local a
  for a in "$@"; do
    case "$a" in --xdg|--data-folder|--data-folder=*) printf '%s\n' "$@"; return ;; esac
  done
  printf '%s\n' --xdg "$@"
}

# Sourced (by the tests): define the functions only.
[[ "${BASH_SOURCE[0]}" != "$0" ]] && return 0

cmd=${1:-run}
shift || true
case "$cmd" in
  deps) deps ;;
  build) deps; build ;;
  run) deps; build; mapfile -t args < <(run_args "$@"); exec "./$BUILD_DIR/harkola" "${args[@]}" ;;
  test) deps; build; exec tests/run-tests.sh "$BUILD_DIR" ;;
  sanitize) deps; sanitize ;;
  fuzz) deps; fuzz "$@" ;;
  *) echo "usage: $0 run|test|build|deps|sanitize|fuzz [seconds]" >&2; exit 2 ;;
esac
