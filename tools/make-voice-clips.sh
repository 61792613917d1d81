#!/usr/bin/env bash
# Makes the 18 beacon announcement clips resources/voice/101.wav .. 118.wav.
#
# Each clip speaks one beacon callsign: in the phonetic alphabet when that fits in
# the clip length at a still clear speaking rate, otherwise letter by letter. The
# result is a RIFF WAVE file, PCM, mono, 11025 Hz, 8-bit unsigned, 1.0 to 2.0 s,
# leading and trailing silence trimmed to a short pad and peak-normalised.
#
# Needs espeak-ng and sox (only to remake the clips; the build uses the committed
# files). Output is repeatable: sox dithers with a fixed seed (-R).
#
# Usage: tools/make-voice-clips.sh [output folder]   (default resources/voice)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/resources/voice}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

voice=en-us
max_seconds=1.90        # leaves room for the pads below the 2.0 s limit
min_seconds=1.00
pad=0.05                # seconds of silence kept before and after the speech
rates=(170 185 200 215) # words per minute tried for the phonetic reading

# Clip id and callsign, in beacon order 1..18.
clips=(
  "101 4U1UN" "102 VE8AT" "103 W6WX" "104 KH6WO" "105 ZL6B" "106 VK6RBP"
  "107 JA2IGY" "108 RR9O" "109 VR2HK" "110 4S7B" "111 ZS6DN" "112 5Z4B"
  "113 4X6TU" "114 OH2B" "115 CS3B" "116 LU4AA" "117 OA4B" "118 YV5B"
)

phonetic_word() {
  case "$1" in
    A) echo Alpha ;; B) echo Bravo ;; C) echo Charlie ;; D) echo Delta ;;
    E) echo Echo ;; F) echo Foxtrot ;; G) echo Golf ;; H) echo Hotel ;;
    I) echo India ;; J) echo Juliet ;; K) echo Kilo ;; L) echo Lima ;;
    M) echo Mike ;; N) echo November ;; O) echo Oscar ;; P) echo Papa ;;
    Q) echo Quebec ;; R) echo Romeo ;; S) echo Sierra ;; T) echo Tango ;;
    U) echo Uniform ;; V) echo Victor ;; W) echo Whiskey ;; X) echo X-ray ;;
    Y) echo Yankee ;; Z) echo Zulu ;;
    0) echo Zero ;; 1) echo One ;; 2) echo Two ;; 3) echo Three ;; 4) echo Four ;;
    5) echo Five ;; 6) echo Six ;; 7) echo Seven ;; 8) echo Eight ;; 9) echo Nine ;;
  esac
}

phonetic_text() {
  local call=$1 words=() i
  for ((i = 0; i < ${#call}; i++)); do words+=("$(phonetic_word "${call:i:1}")"); done
  local IFS=,
  echo "${words[*]}" | sed "s/,/ /g"
}

letters_text() {
  # Letters and digits as separate words, e.g. "V K 6 R B P".
  echo "$1" | sed 's/./& /g; s/ $//'
}

# speak TEXT RATE WAV: speech with silence trimmed at both ends, at espeak's own rate.
speak() {
  espeak-ng -v "$voice" -s "$2" -w "$work/raw.wav" "$1"
  sox "$work/raw.wav" "$3" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
}

shorter() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }

for entry in "${clips[@]}"; do
  id=${entry%% *}
  call=${entry#* }
  chosen=""
  for rate in "${rates[@]}"; do
    text=$(phonetic_text "$call")
    speak "$text" "$rate" "$work/speech.wav"
    if shorter "$(soxi -D "$work/speech.wav")" "$max_seconds"; then
      chosen="phonetic at $rate wpm: $text"
      break
    fi
  done
  if [ -z "$chosen" ]; then
    text=$(letters_text "$call")
    speak "$text" 170 "$work/speech.wav"
    chosen="letters at 170 wpm: $text"
  fi
  # Pads, then stretch the tail with silence up to the minimum length.
  len=$(soxi -D "$work/speech.wav")
  tail=$(awk -v l="$len" -v p="$pad" -v m="$min_seconds" \
    'BEGIN { t = m - l - p; if (t < p) t = p; printf "%.3f", t }')
  sox -R "$work/speech.wav" -r 11025 -c 1 -b 8 -e unsigned-integer -t wav "$out/$id.wav" \
    norm -1 pad "$pad" "$tail"
  printf '%s %-7s %5.2f s  %s\n' "$id" "$call" "$(soxi -D "$out/$id.wav")" "$chosen"
done
