#!/usr/bin/env bash
# trovel-cli grade against the real executable: reports, bad files, threads and the simulate contract.
# usage: grade_cli.sh CLI SOURCE_DIR WORK_DIR
set -u
cli=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
app=$(dirname "$cli")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$2" == "$3" ] || fail "$1: expected [$3] got [$2]"; }

program() {
  local out=$1; shift
  { printf '\xff\xfe'; { printf 'FORMAT_:[QX_FMT_4]\r\n\r\n'; for r in "$@"; do printf '%s\r\n' "$r"; done; } |
      iconv -f UTF-8 -t UTF-16LE; } > "$out"
}

# A class folder: two good programs, a damaged one, a foreign one, a badly connected repeat and a
# file that is no program at all by its name.
class=$work/class
mkdir -p "$class"
cp "$src/examples/line_follower.qxp" "$src/examples/line_follower_stop.qxp" "$class/"
program "$class/damaged.qxp" 'CMD_	[[main]]-[27,9]-[1]-[0,0,0'
printf 'PK\003\004 a zip, not a program' > "$class/foreign.qxp"
program "$class/repeat.qxp" 'CMD_	[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]' \
  'CMD_	[[main]]-[27,477]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]' \
  'CMD_	[[r]]-[90,90]-[16]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[3,-1]-[3]' \
  'CMD_	[[r]]-[90,180]-[17]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[1,2]-[2]'
echo "notes" > "$class/notes.txt"

noise=sensor=6,start=8/6,motor=3
"$cli" grade "$class" --app-dir "$app" --runs 4 --seed 9 --noise $noise --jobs 1 --out "$work/j1" \
  > "$work/j1.out" 2> "$work/j1.err"
expect_eq "grade exit" $? 0
[ -s "$work/j1.out" ] && fail "grade printed on stdout: $(cat "$work/j1.out")"
[ -s "$work/j1.err" ] && fail "grade wrote to stderr without a terminal: $(cat "$work/j1.err")"
"$cli" grade "$class" --app-dir "$app" --runs 4 --seed 9 --noise $noise --jobs 2 --out "$work/j2" 2> /dev/null
expect_eq "grade --jobs 2 exit" $? 0
cmp -s "$work/j1/report.csv" "$work/j2/report.csv" || fail "report.csv differs between --jobs 1 and 2"
cmp -s "$work/j1/report.json" "$work/j2/report.json" || fail "report.json differs between --jobs 1 and 2"
cmp -s "$work/j1/report.html" "$work/j2/report.html" || fail "report.html differs between --jobs 1 and 2"

csv=$work/j1/report.csv
expect_eq "csv rows" "$(wc -l < "$csv")" 9  # header, 3 graded programs x 2 courses, 2 error rows, no notes.txt
head -1 "$csv" | grep -q 'program,course,course_name,runs,goals,success_rate,median_lap_ms,best_lap_ms,' ||
  fail "csv header: $(head -1 "$csv")"
grep -q $'^'"$class"'/damaged.qxp,,,0,0,.*damaged record at line 3' "$csv" || fail "no error row for the damaged file"
grep -q "^$class/foreign.qxp,.*not a program file" "$csv" || fail "no error row for the foreign file"
grep -q "notes.txt" "$csv" && fail "a file that is not .qxp was graded"
grep -q "^$class/repeat.qxp,1,.*,7,"$'\r$' "$csv" || fail "the badly connected repeat is not marked: $(grep repeat "$csv")"
grep -q "^$class/line_follower_stop.qxp,2,[^,]*,4,[1-4]," "$csv" || fail "the stopping follower never reached the goal"

# Run k of a program in the report is "simulate --seed" of its seed, with noise and without.
run0() { grep -o "\"program\":\"$class/line_follower_stop.qxp\".*" "$1" | grep -o '"k":0,"seed":[0-9]*,"result":[0-9]*,"lap_ms":[0-9]*' | head -1; }
r=$(run0 "$work/j1/report.json")
seed=$(sed 's/.*"seed":\([0-9]*\).*/\1/' <<< "$r")
expected=$(sed 's/.*\("result":[0-9]*,"lap_ms":[0-9]*\).*/\1/' <<< "$r")
out=$("$cli" simulate "$class/line_follower_stop.qxp" --app-dir "$app" --course 1 --seed "$seed" --noise $noise)
[[ $out == *"$expected"* ]] || fail "noisy run 0 [$r] is not simulate's: $out"
"$cli" grade "$class/line_follower.qxp" --app-dir "$app" --runs 2 --courses 1 --out "$work/exact" 2> /dev/null
r=$(grep -o '"k":1,"seed":[0-9]*,"result":[0-9]*,"lap_ms":[0-9]*' "$work/exact/report.json")
out=$("$cli" simulate "$class/line_follower.qxp" --app-dir "$app" --course 1)
[[ $out == *"$(sed 's/.*\("result":[0-9]*,"lap_ms":[0-9]*\).*/\1/' <<< "$r")"* ]] ||
  fail "without noise a run [$r] is not simulate's: $out"

# A terminal gets a progress bar on stderr.
if command -v script > /dev/null; then
  script -qec "'$cli' grade '$class/line_follower.qxp' --app-dir '$app' --runs 3 --courses 1 --out '$work/tty'" \
    /dev/null > "$work/tty.txt" 2>&1
  grep -q '100% 3/3 runs' "$work/tty.txt" || fail "no progress bar on a terminal: $(cat -v "$work/tty.txt")"
fi

# Names with commas, quotes and markup stay one field, one string and plain text.
odd=$work/odd
mkdir -p "$odd"
cp "$src/examples/line_follower.qxp" "$odd/ken, \"k\" <b>.qxp"
"$cli" grade "$odd" --app-dir "$app" --runs 1 --courses 2 --out "$work/odd-report" 2> /dev/null
grep -q "^\"$odd/ken, \"\"k\"\" <b>.qxp\",2," "$work/odd-report/report.csv" || fail "csv quoting: $(tail -1 "$work/odd-report/report.csv")"
grep -qF "\"program\":\"$odd/ken, \\\"k\\\" <b>.qxp\"" "$work/odd-report/report.json" || fail "json escaping"
grep -qF "ken, &quot;k&quot; &lt;b&gt;.qxp" "$work/odd-report/report.html" || fail "html escaping"

# The page stands alone: pictures inline, nothing fetched.
html=$work/j1/report.html
grep -qiE '(src|href)="(https?:)?//' "$html" && fail "report.html fetches from elsewhere"
grep -qi '<link' "$html" && fail "report.html links a file"
if ! "$cli" render 2>&1 | grep -q 'built without'; then
  expect_eq "path and chart pictures" "$(grep -o 'data:image/png;base64,' "$html" | wc -l)" $((3 * 2 + 3))
fi

# Bad input: exit 2 with one line, no reports.
mkdir -p "$work/empty"
for words in "$work/empty" "$work/missing.qxp" "$class --jobs 0" "$class --runs 0" "$class --courses 0" \
             "$class --courses 9" "$class --courses 1,x" "$class --noise sensor=-1" "$class --frobnicate 1" ""; do
  # shellcheck disable=SC2086
  "$cli" grade $words --app-dir "$app" --out "$work/bad" > /dev/null 2> "$work/bad.err"
  expect_eq "grade $words exit" $? 2
  grep -q '^grade: ' "$work/bad.err" || fail "grade $words: no reason: $(cat "$work/bad.err")"
  [ -e "$work/bad" ] && fail "grade $words wrote reports"
done
"$cli" grade "$class" --app-dir "$app" --out "$csv" > /dev/null 2> "$work/bad.err"
expect_eq "grade into a file exit" $? 2
grep -q 'cannot create the report folder' "$work/bad.err" || fail "grade into a file: $(cat "$work/bad.err")"
out=$("$cli" grade --help); expect_eq "grade --help exit" $? 0
[[ $out == Usage:\ trovel-cli\ grade* ]] || fail "grade --help: $out"

[ $failures -eq 0 ] && echo "grade cli: all checks passed"
exit $((failures > 0))
