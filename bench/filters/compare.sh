#!/bin/sh
# Times the reference tools on one core against which the filter benchmark is
# read: sox's ten-band equalizer chain and ffmpeg's ten-biquad chain on 44.1 kHz
# stereo 16-bit, "sox rate -h" from 44.1 to 48 kHz, and sox compand on 11025 Hz
# mono; then runs filters_bench pinned to the same core. Prints times real time
# (best of RUNS runs by CPU time), and the THD+N of "sox rate -h" on a 1 kHz sine
# is what tests/Libs measures for ours (ResampleFilter.UpSamplesA1kHzSineCleanly).
#
#   bench/filters/compare.sh [BUILD_DIR] [RUNS]
set -eu

build=${1:-build}
runs=${2:-3}
bench="$build/bench/filters/filters_bench"
[ -x "$bench" ] || { echo "no $bench: build filters_bench first" >&2; exit 1; }
for command in sox ffmpeg taskset bc /usr/bin/time; do
    command -v $command >/dev/null || { echo "$command is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
seconds=300
sox -n -r 44100 -c 2 -b 16 "$work/music.wav" synth $seconds pinknoise synth $seconds sine mix 440 \
    gain -6 2>/dev/null
sox -n -r 11025 -c 1 -b 16 "$work/speech.wav" synth $seconds sawtooth 120 tremolo 4 60 \
    bandpass 1200 1000 gain -3 2>/dev/null

# The "Rock" preset in dB (value * 12 / 127), octave-wide bands.
sox_eq="equalizer 31 1o 3.8 equalizer 63 1o 2.4 equalizer 125 1o -2.4 equalizer 250 1o -4.7
        equalizer 500 1o -1.9 equalizer 1000 1o 1.9 equalizer 2000 1o 3.8 equalizer 4000 1o 4.7
        equalizer 8000 1o 4.7 equalizer 16000 1o 4.7"
ffmpeg_eq=""
for band in 31:3.8 63:2.4 125:-2.4 250:-4.7 500:-1.9 1000:1.9 2000:3.8 4000:4.7 8000:4.7 16000:4.7; do
    ffmpeg_eq="$ffmpeg_eq${ffmpeg_eq:+,}equalizer=f=${band%%:*}:t=o:w=1:g=${band##*:}"
done

best_cpu() {
    best=""
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%U %S" -o "$work/time" taskset -c 1 "$@" >/dev/null 2>&1
        cpu=$(awk '{ print $1 + $2 }' "$work/time")
        if [ -z "$best" ] || [ "$(echo "$cpu < $best" | bc)" = 1 ]; then best=$cpu; fi
        i=$((i + 1))
    done
    echo "$best"
}

report() {
    cpu=$(best_cpu "$@")
    printf '%-28s %6.2f s  %7.0fx real time\n' "$label" "$cpu" "$(echo "$seconds / $cpu" | bc -l)"
}

label="sox equalizer x10" report sox --single-threaded "$work/music.wav" -t raw /dev/null $sox_eq
label="ffmpeg equalizer x10" report ffmpeg -hide_banner -nostats -loglevel error -threads 1 \
    -filter_threads 1 -i "$work/music.wav" -af "$ffmpeg_eq" -f null -
label="sox rate -h 44.1->48 kHz" report sox --single-threaded "$work/music.wav" -t raw /dev/null \
    rate -h 48000
label="sox compand (11025 mono)" report sox --single-threaded "$work/speech.wav" -t raw /dev/null \
    compand 0.005,5 6:-70,-60,-20 -5 -90 0.5
taskset -c 1 "$bench" --benchmark_min_time=3
