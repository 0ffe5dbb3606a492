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
source "$(dirname "$0")/virtual_display.sh"
use_virtual_display "$workdir"

for i in $(seq "$runs"); do
    start=$(date +%s%N)
    inside=$(DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$workdir/xdg" TROVEL_QUIT_AFTER_PAINT=1 \
        timeout 30 "$studio" "$@" 2>&1 | sed -n 's/^first paint \([0-9]*\) ms$/\1/p')
    end=$(date +%s%N)
    echo "run $i: first paint ${inside:-?} ms after main(), process $(( (end - start) / 1000000 )) ms"
done
