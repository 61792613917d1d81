#!/usr/bin/env bash
# "./dev.sh run" starts the program on the launcher's data folder unless told another, so
# a start from the checkout writes no data files among the sources.
set -u
source "$1/dev.sh"
fail=0
check() {  # expected (args joined by |), then the arguments given
  local want=$1; shift
  local got
  got=$(run_args "$@" | paste -sd'|')
  [ "$got" = "$want" ] || { echo "run_args $*: got '$got', want '$want'"; fail=1; }
}
check "--xdg"
check "--xdg|--audio-file|a b.wav" --audio-file "a b.wav"
check "--data-folder|/tmp/x" --data-folder /tmp/x
check "--audio-file|x.wav|--xdg" --audio-file x.wav --xdg
check "--data-folder=/tmp/y" --data-folder=/tmp/y
exit $fail
