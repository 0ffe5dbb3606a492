#!/usr/bin/env bash
# "trovel-cli robot" against the emulated robot kept in a state file: output lines, exit codes,
# state kept between commands, faults, nothing sent for bad input, and the message in the
# language asked for (English here unless a row says otherwise; Japanese by default).
# usage: robot_cli.sh CLI SOURCE_DIR WORK_DIR
set -u
cli=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
unset TROVEL_LANG
lang=en  # TROVEL_LANG of the rows; empty for none
# Runs the command, then checks its exit code and that its one output line holds the text; in
# English, nothing but ASCII (no Japanese left over).
expect() {
  local code=$1 text=$2; shift 2
  local out rc
  if [ -n "$lang" ]; then out=$(TROVEL_LANG=$lang "$cli" robot "$@" 2>/dev/null); rc=$?
  else out=$("$cli" robot "$@" 2>/dev/null); rc=$?; fi
  [ "$rc" == "$code" ] || fail "robot $*: exit $rc, expected $code ($out)"
  [[ "$out" == *"$text"* ]] || fail "robot $*: [$out] lacks [$text]"
  [ "$(printf '%s\n' "$out" | wc -l)" == 1 ] || fail "robot $*: not one line: $out"
  if [ "$lang" == en ] && printf '%s' "$out" | LC_ALL=C grep -q $'[\x80-\xff]'; then
    fail "robot $*: not all English: $out"
  fi
}
st=$work/robot.state
prog=$src/examples/line_follower.qxp
printf ':021000001122BB\r\n:00000001FF\r\n' > "$work/fw.hex"
printf ':0210000011223C\r\n:00000001FF\r\n' > "$work/bad.hex"   # checksum off
printf 'not a program' > "$work/bad.qxp"

expect 0 '{"command":"status","status":"ok","message":"The robot runs its program.","mode":"application"}' status --virtual "$st"
# Japanese without a language; "--lang" anywhere on the line as well as TROVEL_LANG.
lang=
expect 0 '"message":"ロボットはプログラムを実行しています。"' status --virtual "$st"
expect 2 '"message":"わからないオプションです: --bogus"' status --bogus --virtual "$st"
expect 0 '"message":"The robot runs its program."' status --lang en --virtual "$st"
out=$("$cli" --lang=en robot status --virtual "$st" 2>/dev/null)
[[ "$out" == *'"The robot runs its program."'* ]] || fail "--lang before the command: $out"
lang=en
expect 0 '"status":"ok"' write "$prog" --virtual "$st" --speeds 50,100
# The program and the motor speeds stay in the state file for the next command.
expect 0 '"memory":[0,0,0,0,0,0,0,127,255,' memory --virtual "$st"
expect 0 '"status":"ok"' read --out "$work/back.qxp" --virtual "$st"
"$cli" compile "$prog" > "$work/written.txt"
"$cli" compile "$work/back.qxp" > "$work/read.txt"
cmp -s "$work/written.txt" "$work/read.txt" || fail "the program read back compiles to other bytes"

# Bad input: nothing is sent, so the robot's state file does not change.
before=$(md5sum < "$st")
expect 2 '"status":"failed"' write "$work/bad.qxp" --virtual "$st"
expect 2 'line 1' firmware "$work/bad.hex" --virtual "$st"
expect 2 'Unknown fault: sneeze' write "$prog" --virtual "$st" --fault sneeze
expect 2 '"status":"failed"' read --virtual "$st"
[ "$(md5sum < "$st")" == "$before" ] || fail "bad input changed the robot"

# Faults: no false success, and a failed firmware leaves the robot waiting in its boot loader.
expect 4 'did not switch to its boot loader' write "$prog" --virtual "$st" --fault ignore-boot
expect 4 'does not hold what was written' write "$prog" --virtual "$st" --fault flash-ignore@4
expect 4 '"status":"failed"' read --out "$work/garbage.qxp" --virtual "$st" --fault garbage@3
[ -e "$work/garbage.qxp" ] && fail "a failed read wrote a program"
expect 0 '"status":"ok"' write "$prog" --virtual "$st" --fault duplicate@5 --fault unsolicited@7
expect 4 'only partly written' firmware "$work/fw.hex" --virtual "$st" --fault firmware-ignore@5
expect 0 '"mode":"boot-loader"' status --virtual "$st"
expect 3 'boot loader' write "$prog" --virtual "$st"
expect 4 'differs from the file at 0x1000' verify-firmware "$work/fw.hex" --virtual "$st"
expect 0 'written and verified' firmware "$work/fw.hex" --virtual "$st"
expect 0 'matches the file' verify-firmware "$work/fw.hex" --virtual "$st"
expect 0 '"mode":"application"' status --virtual "$st"

# A robot that ignores the reset: the program is written and verified, but it is no success; the
# robot waits in its boot loader and is read from there.
expect 4 '"status":"failed","message":"52 bytes written and verified. The robot did not restart. The robot is still waiting in its boot loader. Reconnect the robot to the PC."}' \
  write "$prog" --virtual "$st" --fault stay-in-boot
expect 0 '"mode":"boot-loader"' status --virtual "$st"
rm -f "$work/boot.qxp"
expect 0 'bytes read. The robot waits in its boot loader.' read --out "$work/boot.qxp" --virtual "$st"
"$cli" compile "$work/boot.qxp" > "$work/boot.txt"
cmp -s "$work/written.txt" "$work/boot.txt" || fail "the program read from the boot loader compiles to other bytes"
expect 0 '"mode":"boot-loader"' status --virtual "$st"
expect 4 'Firmware written and verified. The robot did not restart.' firmware "$work/fw.hex" --virtual "$st" --fault stay-in-boot
expect 0 'written and verified' firmware "$work/fw.hex" --virtual "$st"
lang=
expect 4 'ロボットが再起動しませんでした。ロボットはブートローダーのまま' write "$prog" --virtual "$st" --fault stay-in-boot
lang=en
expect 0 'written and verified' firmware "$work/fw.hex" --virtual "$st"
expect 0 '"mode":"application"' status --virtual "$st"
expect 3 '"status":"not-connected"' status --virtual "$st" --fault unplug

# One command at a time on one emulated robot.
exec 9> "$st.lock"
if flock -n 9; then expect 3 '"status":"busy"' status --virtual "$st"; else fail "could not hold the robot's lock to check busy"; fi
exec 9>&-

[ "$failures" == 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "robot command line: all checks passed"
