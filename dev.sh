#!/usr/bin/env bash
# Harkola developer entry point.
#   ./dev.sh run [args]   install what is missing, build, start the program (on the
#                         desktop launcher's data folder, --xdg, unless args name one)
#   ./dev.sh test         install what is missing, build, run every test
#   ./dev.sh build        build only
#   ./dev.sh deps         install the Debian packages only
# Runs as root or through sudo. Build folder: ./build (override with BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=${BUILD_DIR:-build}

PACKAGES=(build-essential cmake pkg-config ccache libgtest-dev libbenchmark-dev libfftw3-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-charts-dev qt6-datavisualization-dev
  qt6-declarative-dev qt6-multimedia-dev qt6-serialport-dev libgl1-mesa-dev
  libgl1-mesa-dri fonts-dejavu-core xvfb xauth pulseaudio pulseaudio-utils socat sox
  desktop-file-utils imagemagick python3 libhamlib-utils dpkg-dev file lintian appstream man-db)

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
  *) echo "usage: $0 run|test|build|deps" >&2; exit 2 ;;
esac
