# Sourced by the scripts that start the studio on a private virtual X display.
# use_virtual_display WORKDIR: starts Xvfb (screen size TROVEL_SCREEN, default 1280x800x24), sets
# `display` and `xvfb_pid`, makes WORKDIR/xdg, and stops the display and removes WORKDIR on exit.
xvfb_pid=""

start_virtual_display() {
    local workdir=$1
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
}

stop_virtual_display() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
}

use_virtual_display() {
    virtual_workdir=$1
    trap 'stop_virtual_display; rm -rf "$virtual_workdir"' EXIT
    start_virtual_display "$virtual_workdir"
}
