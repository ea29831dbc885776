#!/bin/sh
# Times tonilo-tool convert against the reference command-line tools on the
# same files: WAV to MP3 at 128 kbit/s (lame -b 128), MP3 to WAV (mpg123 -w),
# and speech WAV to ZAF at 16 kbit/s (opusenc --bitrate 16). Prints seconds
# and times real time for each side, best of RUNS runs by CPU time.
#
#   bench/codecs/compare.sh [BUILD_DIR] [RUNS]
set -eu

build=${1:-build}
runs=${2:-3}
tool="$build/Tonilo/tonilo-tool"
[ -x "$tool" ] || { echo "no $tool: build tonilo-tool, wav, mp3 and zaf first" >&2; exit 1; }
for command in sox lame mpg123 opusenc bc /usr/bin/time; do
    command -v $command >/dev/null || { echo "$command is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
# Never the user's registry.
export TONILO_REGISTRY="$work/registry.db" HOME="$work" XDG_CONFIG_HOME="$work/config"

seconds=600
echo "making test files ($seconds s)..." >&2
# Music-like: two sweeping tones and some noise, 44.1 kHz stereo.
sox -n -r 44100 -c 2 -b 16 "$work/music.wav" synth $seconds sine 110-1760 sine 220-3520 \
    synth $seconds pinknoise mix gain -6 2>/dev/null
# Speech-like: a voiced buzz with a wobbling pitch through a band-pass, 16 kHz mono.
sox -n -r 16000 -c 1 -b 16 "$work/speech.wav" synth $seconds sawtooth 120 tremolo 4 60 \
    bandpass 1200 1000 gain -3 2>/dev/null
lame --quiet -b 128 "$work/music.wav" "$work/music.mp3"

# best_of COMMAND...: "wall cpu" of the run with the least CPU time (user +
# system) among $runs runs, in seconds. CPU time hardly moves when other work
# shares the machine; wall time does.
best_of() {
    best=""
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>&1
        read -r wall user system < "$work/time"
        cpu=$(echo "$user + $system" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$cpu < ${best#* }" | bc -l)" = 1 ]; then best="$wall $cpu"; fi
        i=$((i + 1))
    done
    echo "$best"
}

report() { # label "reference-wall reference-cpu" "ours-wall ours-cpu"
    set -- "$1" ${2} ${3}
    printf '%-38s reference %6.2f s cpu (%4.0fx, wall %6.2f)   tonilo %6.2f s cpu (%4.0fx, wall %6.2f)   tonilo/reference %.2f\n' \
        "$1" "$3" "$(echo "$seconds / $3" | bc -l)" "$2" "$5" "$(echo "$seconds / $5" | bc -l)" "$4" \
        "$(echo "$5 / $3" | bc -l)"
}

reference=$(best_of lame --quiet -b 128 "$work/music.wav" "$work/ref.mp3")
ours=$(best_of "$tool" convert "$work/music.wav" "$work/ours.mp3" --encoder "MP3 encoder" --quality 2)
report "WAV -> MP3 128 kbit/s (lame -b 128)" "$reference" "$ours"

reference=$(best_of mpg123 -q -w "$work/ref.wav" "$work/music.mp3")
ours=$(best_of "$tool" convert "$work/music.mp3" "$work/ours.wav")
report "MP3 -> WAV (mpg123 -w)" "$reference" "$ours"

# The ZAF encoder keeps Opus's bit rate constrained (file sizes and recording
# times stay predictable); opusenc lets it float unless told --cvbr.
ours=$(best_of "$tool" convert "$work/speech.wav" "$work/ours.zaf" --quality 3)
reference=$(best_of opusenc --quiet --bitrate 16 "$work/speech.wav" "$work/ref.opus")
report "speech WAV -> ZAF 16 kbit/s (opusenc)" "$reference" "$ours"
reference=$(best_of opusenc --quiet --bitrate 16 --cvbr "$work/speech.wav" "$work/ref.opus")
report "  same, against opusenc --cvbr" "$reference" "$ours"
