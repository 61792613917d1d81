#!/usr/bin/env bash
# Listens to the announcement clips with a speech recogniser and prints what it heard.
#
# Two passes with pocketsphinx (Debian packages pocketsphinx, pocketsphinx-en-us):
#  - closed set: the recogniser must pick, for each clip, its own callsign among the 18
#    phonetic readings; a mismatch is a wrong or unintelligible clip (exit status 1);
#  - open: any sequence of phonetic-alphabet words, for a rougher look at how clearly
#    each word comes across (informative only: this recogniser is weak on synthetic
#    speech even at full quality).
#
# Usage: tools/check-voice-clips.sh [clip folder]   (default resources/voice)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
clips=${1:-$here/resources/voice}
model=/usr/share/pocketsphinx/model/en-us
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected=(
  "four uniform one uniform november" "victor echo eight alpha tango"
  "whiskey six whiskey x-ray" "kilo hotel six whiskey oscar" "zulu lima six bravo"
  "victor kilo six romeo bravo papa" "juliet alpha two india golf yankee"
  "romeo romeo nine oscar" "victor romeo two hotel kilo" "four sierra seven bravo"
  "zulu sierra six delta november" "five zulu four bravo" "four x-ray six tango uniform"
  "oscar hotel two bravo" "charlie sierra three bravo" "lima uniform four alpha alpha"
  "oscar alpha four bravo" "yankee victor five bravo"
)
words="alpha | bravo | charlie | delta | echo | foxtrot | golf | hotel | india | juliet | kilo"
words+=" | lima | mike | november | oscar | papa | quebec | romeo | sierra | tango | uniform"
words+=" | victor | whiskey | x-ray | yankee | zulu | zero | one | two | three | four | five"
words+=" | six | seven | eight | nine"

{
  printf '#JSGF V1.0;\ngrammar calls;\npublic <c> = (%s)' "${expected[0]}"
  for e in "${expected[@]:1}"; do printf ' | (%s)' "$e"; done
  printf ';\n'
} > "$work/closed.gram"
printf '#JSGF V1.0;\ngrammar words;\npublic <c> = <w>+;\n<w> = %s;\n' "$words" > "$work/open.gram"

: > "$work/ctl"
for id in $(seq 101 118); do
  # The recogniser's models want 16 kHz 16-bit; a little silence around the speech.
  sox "$clips/$id.wav" -r 16000 -b 16 -e signed-integer -c 1 "$work/$id.wav" pad 0.3 0.3
  echo "$id" >> "$work/ctl"
done

recognise() {
  pocketsphinx_batch -hmm "$model/en-us" -dict "$model/cmudict-en-us.dict" -jsgf "$1" \
    -adcin yes -cepdir "$work" -cepext .wav -ctl "$work/ctl" -hyp "$2" > /dev/null 2>&1
}
recognise "$work/closed.gram" "$work/closed.hyp"
recognise "$work/open.gram" "$work/open.hyp"

wrong=0
for id in $(seq 101 118); do
  want=${expected[$((id - 101))]}
  closed=$(grep "($id " "$work/closed.hyp" | sed 's/ ([^)]*)$//')
  open=$(grep "($id " "$work/open.hyp" | sed 's/ ([^)]*)$//')
  mark=ok
  [ "$closed" = "$want" ] || { mark=WRONG; wrong=$((wrong + 1)); }
  [ "$open" = "$want" ] && openmark="=" || openmark="~"
  printf '%s %-5s %-36s open %s %s\n' "$id" "$mark" "$want" "$openmark" "$open"
done
echo "closed set: $((18 - wrong))/18 recognised as their own callsign"
[ "$wrong" -eq 0 ]
