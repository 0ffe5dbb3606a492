#!/usr/bin/env bash
# Starts the studio on a private virtual X display, lets it save a picture of its own window and
# stops the display again. Usage: bash tools/screenshot.sh <trovel-studio> <out.png> [program.qxp]
# TROVEL_SCREEN=2560x1600x24 gives a larger screen, e.g. for QT_SCALE_FACTOR=2.
set -euo pipefail
studio=${1:?usage: screenshot.sh <trovel-studio> <out.png> [program.qxp]}
out=${2:?usage: screenshot.sh <trovel-studio> <out.png> [program.qxp]}
shift 2
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

workdir=$(mktemp -d "${out%/*}/.screenshot.XXXXXX")
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

# -displayfd lets the server pick a free display number, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 "${TROVEL_SCREEN:-1280x800x24}" -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$workdir/display" ] && break
    sleep 0.05
done
[ -s "$workdir/display" ] || { echo "Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
display=":$(head -n1 "$workdir/display")"

mkdir -m 700 "$workdir/xdg"
DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$workdir/xdg" \
    timeout 60 "$studio" --grab "$out" "$@"
[ -s "$out" ] || { echo "no picture was written" >&2; exit 1; }
echo "$out"
