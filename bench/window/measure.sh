#!/usr/bin/env bash
# measure.sh [BUILD] [RUNS] [DRIVER...]: the window's start and rest figures on a
# private Xvfb (480x640, a phone's screen: the window opens full screen).
set -euo pipefail
build=${1:-build}
shift || true
for number in $(seq 180 240); do
    [ -e /tmp/.X11-unix/X$number ] || [ -e /tmp/.X$number-lock ] || break
done
Xvfb :$number -screen 0 480x640x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
for _ in $(seq 200); do
    [ -e /tmp/.X11-unix/X$number ] && break
    sleep 0.05
done
# A session bus as a desktop has one; without it every start would launch its own.
eval "$(dbus-launch --sh-syntax)"
trap 'kill $xvfb $DBUS_SESSION_BUS_PID' EXIT
DISPLAY=:$number "$build/bench/window/window_start" "$@"
