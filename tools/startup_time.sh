#!/usr/bin/env bash
# Times the studio from start to its first painted chart on a private virtual X display, several
# runs. Usage: bash tools/startup_time.sh <trovel-studio> [runs] [studio options...]
# Prints per run the time the studio reports (main() to the chart's first paint) and the wall time
# of the whole process (exec, libraries, start, paint and exit).
set -euo pipefail
studio=${1:?usage: startup_time.sh <trovel-studio> [runs] [options...]}
runs=${2:-5}
shift $(( $# >= 2 ? 2 : 1 ))

workdir=$(mktemp -d "${TMPDIR:-/tmp}/startup.XXXXXX")
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "${TROVEL_SCREEN:-1280x800x24}" -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$workdir/display" ] && break
    sleep 0.05
done
[ -s "$workdir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$workdir/display")"
mkdir -m 700 "$workdir/xdg"

for i in $(seq "$runs"); do
    start=$(date +%s%N)
    inside=$(DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$workdir/xdg" TROVEL_QUIT_AFTER_PAINT=1 \
        timeout 30 "$studio" "$@" 2>&1 | sed -n 's/^first paint \([0-9]*\) ms$/\1/p')
    end=$(date +%s%N)
    echo "run $i: first paint ${inside:-?} ms after main(), process $(( (end - start) / 1000000 )) ms"
done
