#!/bin/sh
# Measures the show's music as a listener hears it: loudness of each section,
# and how much the crash on each scene cut brightens the sound.
#
#   scripts/measure-score.sh [velmora.xm | render.wav] [-w]
#
# A module is rendered with openmpt123 first, or with xmp given -w. Prints per
# section its RMS level in dB, the breakdown against the full sections, the
# fade after the final hit, and per cut the energy above 5 kHz in the 100 ms
# after the cut divided by that of the 100 ms before it; and per section its
# spectrum: the RMS level in dB of five bands (below 150 Hz, 150-600 Hz,
# 600 Hz-2.5 kHz, 2.5-6 kHz, above 6 kHz).
set -e

input=${1:-build/data/velmora.xm}
player=openmpt123
[ "$2" = "-w" ] && player=xmp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "$input" in
    *.wav) wav=$input ;;
    *)
        cp "$input" "$work/song.xm"
        if [ "$player" = xmp ]; then
            xmp -q -f 48000 -d wav -o "$work/song.xm.wav" "$work/song.xm" >/dev/null 2>&1
        else
            openmpt123 --render --force --no-float "$work/song.xm" >/dev/null 2>&1
        fi
        wav=$work/song.xm.wav
        ;;
esac

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
# Seconds at a row: a row is 6 ticks of 2.5/140 s, which both players round
# to 857 samples at 48 kHz.
at() { calc "($1) * 6 * 857 / 48000"; }

# RMS level in dB of `length` seconds of a file from `start`, channels mixed.
level() {
    sox "$1" -n trim "$2" "$3" remix - stats 2>&1 | awk '/^RMS lev dB/ { print $4 }'
}

echo "sections (RMS level, dB; rows from-to)"
set -- 0 160 "intro" 160 320 "beat" 320 480 "theme" 480 560 "breakdown" 560 880 "full" \
       880 1060 "bridge" 1060 1348 "climax" 1348 1380 "ending"
full=""
breakdown=""
while [ $# -ge 3 ]; do
    db=$(level "$wav" "$(at "$1")" "$(at "$2 - $1")")
    printf "  %-10s %4d-%4d  %6s dB\n" "$3" "$1" "$2" "$db"
    case "$3" in
        full | climax) full="$full $db" ;;
        breakdown) breakdown=$db ;;
    esac
    shift 3
done
for db in $full; do
    printf "  breakdown against a full section: %.2f dB\n" "$(calc "$breakdown - ($db)")"
done
printf "  after the final hit, every 0.5 s:"
for i in 0 1 2 3 4 5; do
    printf " %s" "$(level "$wav" "$(calc "$(at 1348) + $i * 0.5")" 0.5)"
done
echo " dB"

# Energy above 5 kHz: the whole file filtered once, so no window starts on
# the filter's own transient.
sox "$wav" "$work/high.wav" remix - sinc 5000
echo "crash at each cut and at the final hit, row 1348 (energy above 5 kHz, 100 ms after / 100 ms before)"
for cut in 0 160 320 480 560 880 1060 1348; do
    t=$(at $cut)
    after=$(level "$work/high.wav" "$t" 0.1)
    if [ "$cut" -eq 0 ]; then
        printf "  row %4d  %6.2f s  after %6s dB  (the song's start)\n" "$cut" "$t" "$after"
        continue
    fi
    before=$(level "$work/high.wav" "$(calc "$t - 0.1")" 0.1)
    printf "  row %4d  %6.2f s  after %6s dB  before %6s dB  ratio %.1f\n" "$cut" "$t" "$after" "$before" \
        "$(calc "10 ^ (($after - ($before)) / 10)")"
done
# Spectrum: the whole file split into bands once, then measured by section.
bands="low:-150 lowmid:150-600 mid:600-2500 highmid:2500-6000 high:6000"
for b in $bands; do
    sox "$wav" "$work/band-${b%%:*}.wav" remix - sinc "${b#*:}"
done
echo "spectrum by section (RMS level in dB of each band)"
printf "  %-10s %8s %8s %8s %8s %8s\n" "" "<150" "150-600" "0.6-2.5k" "2.5-6k" ">6k"
set -- 0 160 "intro" 160 320 "beat" 320 480 "theme" 480 560 "breakdown" 560 880 "full" \
       880 1060 "bridge" 1060 1348 "climax" 1348 1380 "ending"
while [ $# -ge 3 ]; do
    printf "  %-10s" "$3"
    for b in $bands; do
        printf " %8s" "$(level "$work/band-${b%%:*}.wav" "$(at "$1")" "$(at "$2 - $1")")"
    done
    echo
    shift 3
done
echo "length: $(sox --i -D "$wav") s (rendered by $player)"
