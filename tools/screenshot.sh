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
source "$(dirname "$0")/virtual_display.sh"
use_virtual_display "$workdir"

DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$workdir/xdg" \
    timeout 60 "$studio" --grab "$out" "$@"
[ -s "$out" ] || { echo "no picture was written" >&2; exit 1; }
echo "$out"
