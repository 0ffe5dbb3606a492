#!/usr/bin/env bash
# The trovel-cli output contract, checked against the real executable.
# usage: cli_contract.sh CLI SOURCE_DIR WORK_DIR
set -u
cli=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$2" == "$3" ] || fail "$1: expected [$3] got [$2]"; }

# Writes a program file from records given one per line (UTF-16LE, BOM, CR LF).
program() {
  local out=$1; shift
  { printf '\xff\xfe'; { printf 'FORMAT_:[QX_FMT_4]\r\n\r\n'; for r in "$@"; do printf '%s\r\n' "$r"; done; } |
      iconv -f UTF-8 -t UTF-16LE; } > "$out"
}
start='CMD_	[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[1,-1]-[1]'
end='CMD_	[[main]]-[27,477]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]'

program "$work/new.qxp" "$start" "$end"
expect_eq "new program" "$("$cli" compile "$work/new.qxp")" $'00 01 FF FF\n01 00 00 02\nFE FF FF FF'

program "$work/forward.qxp" 'CMD_	[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]' "$end" \
  'CMD_	[[前に進む 1]]-[27,99]-[4]-[15,0,0,0,0,0,0,0,0,0]-[13,27]-[1,-1]-[-1]'
expect_eq "timed forward" "$("$cli" compile "$work/forward.qxp")" \
  $'00 01 FF FF\n01 00 00 03\nFE FF FF FF\n01 F0 F0 04\n03 0F 05 FF\n01 00 00 02'

# Start (2) + End (1) + n continuing Forward blocks.
sized() {
  local records=("$start" "$end") i
  for ((i = 0; i < $2; i++)); do records+=('CMD_	[[f]]-[0,0]-[4]-[15,1]-[0,0]-[-1,-1]-[-1]'); done
  program "$1" "${records[@]}"
}
sized "$work/128.qxp" 125
sized "$work/129.qxp" 126
"$cli" compile "$work/128.qxp" > "$work/128.out"; expect_eq "128 instructions exit" $? 0
expect_eq "128 instructions lines" "$(wc -l < "$work/128.out")" 128
"$cli" compile "$work/129.qxp" > "$work/129.out" 2> "$work/129.err"; expect_eq "129 instructions exit" $? 1
grep -q '(8 Byte over)' "$work/129.err" || fail "129 instructions: size message missing: $(cat "$work/129.err")"
[ -s "$work/129.out" ] && fail "129 instructions printed code"

for f in "$src"/examples/*.qxp; do
  expect_eq "check $(basename "$f")" "$("$cli" check "$f")" "-1"
  # compile -> decode -> compile keeps the bytes for what the decoder restores exactly
  "$cli" compile "$f" --out "$work/img.bin" > "$work/a.txt" || fail "compile $f"
  expect_eq "image size $(basename "$f")" "$(stat -c %s "$work/img.bin")" "$(( $(wc -l < "$work/a.txt") * 4 ))"
  "$cli" decode "$work/img.bin" --out "$work/decoded.qxp" || fail "decode $f"
  "$cli" compile "$work/decoded.qxp" > "$work/b.txt" || fail "recompile $f"
  cmp -s "$work/a.txt" "$work/b.txt" || fail "decode round trip of $(basename "$f")"
done

# Files with a broken repeat pairing still load: check prints its fault, compile refuses.
program "$work/pair255.qxp" 'CMD_	[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]' "$end" \
  'CMD_	[[r]]-[90,90]-[16]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[3,-1]-[3]' \
  'CMD_	[[r]]-[90,180]-[17]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[1,2]-[2]'
program "$work/lone_end.qxp" 'CMD_	[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]' "$end" \
  'CMD_	[[r]]-[90,90]-[17]-[3,0,2,0,0,0,0,0,0,0]-[13,27]-[1,-1]-[-1]'
for f in pair255:7 lone_end:2; do
  name=${f%%:*}
  out=$("$cli" check "$work/$name.qxp"); expect_eq "check $name exit" $? 0
  expect_eq "check $name result" "$out" "${f##*:}"
  "$cli" compile "$work/$name.qxp" > /dev/null 2>&1; expect_eq "compile $name exit" $? 2
done

# Bad input: exit 2, nothing on stdout.
printf 'not a program' > "$work/text.qxp"
for bad in "$work/text.qxp" "$work/missing.qxp"; do
  name=$(basename "$bad")
  "$cli" compile "$bad" > "$work/bad.out" 2>/dev/null; expect_eq "compile $name exit" $? 2
  "$cli" check "$bad" > /dev/null 2>&1; expect_eq "check $name exit" $? 2
  [ -s "$work/bad.out" ] && fail "compile $name printed output"
done
"$cli" decode "$work/missing.bin" --out "$work/x.qxp" 2>/dev/null; expect_eq "decode missing exit" $? 2
"$cli" frobnicate 2>/dev/null; expect_eq "unknown command exit" $? 2

# The simulator drives the example line follower round the first timed course to a goal.
app=$(dirname "$cli")
out=$("$cli" simulate "$src/examples/line_follower.qxp" --app-dir "$app" --course 1)
expect_eq "simulate exit" $? 0
[[ $out =~ ^\{\"course\":1,\"ticks\":[0-9]+,\"state\":[023],\"result\":8,\"lap_ms\":[1-9][0-9]*, ]] ||
  fail "simulate: no goal with a lap time: $out"
[[ $out =~ \"memory\":\[([0-9]+,){31}[0-9]+\]\}$ ]] || fail "simulate: memory array malformed: $out"
out=$("$cli" simulate "$src/examples/line_follower_stop.qxp" --app-dir "$app" --course 2)
[[ $out == *'"result":8,'* ]] || fail "simulate: the stopping follower misses the stop-in-goal course: $out"
"$cli" simulate "$work/text.qxp" --app-dir "$app" > /dev/null 2>&1; expect_eq "simulate bad program exit" $? 2
# --picture: a 700 x 500 PNG of the course with the run drawn on it; an unwritable file is exit 2.
"$cli" simulate "$src/examples/line_follower.qxp" --app-dir "$app" --course 1 --picture "$work/run.png" > /dev/null
expect_eq "simulate --picture exit" $? 0
expect_eq "simulate --picture signature" "$(head -c 8 "$work/run.png" | od -An -tx1 | tr -d ' \n')" 89504e470d0a1a0a
expect_eq "simulate --picture size" "$(od -An -j16 -N8 -tu1 "$work/run.png" | tr -s ' ')" " 0 0 2 188 0 0 1 244"
[ "$(stat -c %s "$work/run.png")" -gt 5000 ] || fail "simulate --picture: a near-empty picture"
"$cli" simulate "$src/examples/line_follower.qxp" --app-dir "$app" --course 1 --ticks 1 --picture "$work/tick.png" > /dev/null
cmp -s "$work/run.png" "$work/tick.png" && fail "simulate --picture: the lap and a single tick give the same picture"
for bad in picture trace; do
  out=$("$cli" simulate "$src/examples/line_follower.qxp" --app-dir "$app" --ticks 5 --$bad "$work/no/such/folder/x" 2> "$work/sim.err")
  expect_eq "simulate unwritable --$bad exit" $? 2
  grep -q '^simulate: cannot write' "$work/sim.err" || fail "simulate unwritable --$bad: no reason: $(cat "$work/sim.err")"
  [[ $out == '{"course":0,"ticks":5,'* ]] || fail "simulate unwritable --$bad: no JSON line: $out"
done

# --help and --version: the text on stdout, exit 0, for the program and for each command.
for words in "--help" "compile --help" "check --help" "decode --help" "simulate --help" "render --help" "robot --help" \
             "render $work/text.qxp --help"; do
  # shellcheck disable=SC2086
  out=$("$cli" $words 2> "$work/help.err"); expect_eq "$words exit" $? 0
  [[ $out == Usage:\ trovel-cli* ]] || fail "$words: no usage on stdout: $out"
  [ -s "$work/help.err" ] && fail "$words wrote to stderr"
done
# Bad arguments: exit 2 and one line on stderr.
"$cli" compile > /dev/null 2> "$work/usage.err"; expect_eq "compile without a program exit" $? 2
expect_eq "bad arguments message lines" "$(wc -l < "$work/usage.err")" 1
expect_eq "--version" "$("$cli" --version | head -1)" "trovel-cli (TrovelStudio) $(sed -n 's/^project(TrovelStudio VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")"
expect_eq "compile --version" "$("$cli" compile --version | head -1)" "$("$cli" --version | head -1)"
# Options also take their value after "=".
"$cli" compile "$src/examples/led_repeat.qxp" --out="$work/eq.bin" > /dev/null; expect_eq "--out= exit" $? 0
[ -s "$work/eq.bin" ] || fail "--out=FILE wrote nothing"

# render: bad arguments and input give exit 2, a one-line reason and no picture.
program "$work/far.qxp" "$start" 'CMD_	[[main]]-[900000,900000]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]'
for words in "$work/missing.qxp --out $work/r.png" "$work/text.qxp --out $work/r.png" \
             "$src/examples/led_repeat.qxp" "$src/examples/led_repeat.qxp --out $work/r.png --size 0" \
             "$src/examples/led_repeat.qxp --out $work/r.png --size 9x" \
             "$src/examples/led_repeat.qxp --out $work/r.png --size 99999999999" \
             "$src/examples/led_repeat.qxp --out $work/no/such/folder/r.png" "$work/far.qxp --out $work/r.png"; do
  # shellcheck disable=SC2086
  "$cli" render $words --app-dir "$app" > /dev/null 2> "$work/render.err"; expect_eq "render $words exit" $? 2
  grep -q '^render: ' "$work/render.err" || fail "render $words: no reason: $(cat "$work/render.err")"
  [ -e "$work/r.png" ] && fail "render $words wrote a picture"
done
# A Shift-JIS file name (from a zip made on Windows) and a record.dat that is a folder are used or
# skipped, never a crash.
sjis="$work/$(printf '\x83\x8d\x83\x7b.qxp')"
cp "$src/examples/line_follower.qxp" "$sjis"
expect_eq "check a Shift-JIS name" "$("$cli" check "$sjis")" "-1"
cp -r "$src/data" "$work/app" && mkdir -p "$work/app/record.dat"
"$cli" simulate "$sjis" --app-dir "$work/app" --course 1 > /dev/null; expect_eq "simulate with a record.dat folder" $? 0

[ $failures -eq 0 ] && echo "cli contract: all checks passed"
exit $((failures > 0))
