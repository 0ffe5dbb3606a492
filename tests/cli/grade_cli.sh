#!/usr/bin/env bash
# trovel-cli grade against the real executable: reports, bad files, threads and the simulate contract.
# usage: grade_cli.sh CLI SOURCE_DIR WORK_DIR
set -u
cli=$1 src=$2 work=$3
# The reports speak the language in use: without --lang or TROVEL_LANG, Japanese.
unset TROVEL_LANG LC_ALL LC_MESSAGES LANGUAGE
export LANG=C.UTF-8
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
expect_eq "csv rows" "$(wc -l < "$csv")" 9  # header, 2 error rows, 3 graded programs x 2 courses, no notes.txt
# The files that could not be graded come first, with their reason.
sed -n 2p "$csv" | grep -q "^$class/damaged.qxp,,,0,0,.*,3 行目のレコードが壊れています"$'\r$' ||
  fail "the damaged file is not the first row: $(sed -n 2p "$csv")"
sed -n 3p "$csv" | grep -q "^$class/foreign.qxp,.*,プログラムファイルではありません"$'\r$' ||
  fail "the foreign file is not the second row: $(sed -n 3p "$csv")"
# report.json keeps its keys and words for scripts, with the teacher's words beside them.
grep -qF '"error":"damaged record at line 3 (' "$work/j1/report.json" || fail "report.json: the damaged file's error"
grep -qF '"error":"not a program file","error_text":"プログラムファイルではありません"' "$work/j1/report.json" ||
  fail "report.json: the foreign file's error"
grep -q "notes.txt" "$csv" && fail "a file that is not .qxp was graded"
grep -q "^$class/repeat.qxp,1,.*,7,"$'\r$' "$csv" || fail "the badly connected repeat is not marked: $(grep repeat "$csv")"
grep -q "^$class/line_follower_stop.qxp,2,[^,]*,4,[1-4]," "$csv" || fail "the stopping follower never reached the goal"

# Run k of a program in the report is "simulate --seed" of its seed, with noise and without.
# same_as_simulate NAME RUN SIMULATE_ARGS...: RUN is the report's '"k":K,"seed":S,"result":R,"lap_ms":L'.
same_as_simulate() {
  local name=$1 run=$2 out; shift 2
  [[ $run =~ ^\"k\":[0-9]+,\"seed\":([0-9]+),(\"result\":[0-9]+,\"lap_ms\":[0-9]+)$ ]] ||
    { fail "$name: no such run in report.json: [$run]"; return; }
  local seed=${BASH_REMATCH[1]} expected=${BASH_REMATCH[2]}
  out=$("$cli" simulate "$@" --seed "$seed")
  expect_eq "$name: simulate exit" $? 0
  [[ $out == *",$expected,"* ]] || fail "$name: run [$run] is not simulate's: $out"
}
json_run() { grep -o "\"program\":\"$2\".*" "$1" | grep -o "\"k\":$3,\"seed\":[0-9]*,\"result\":[0-9]*,\"lap_ms\":[0-9]*" | head -1; }
same_as_simulate "noisy run 0" "$(json_run "$work/j1/report.json" "$class/line_follower_stop.qxp" 0)" \
  "$class/line_follower_stop.qxp" --app-dir "$app" --course 1 --noise $noise
"$cli" grade "$class/line_follower.qxp" --app-dir "$app" --runs 2 --courses 1 --out "$work/exact" 2> /dev/null
expect_eq "grade without noise exit" $? 0
same_as_simulate "run 1 without noise" "$(json_run "$work/exact/report.json" "$class/line_follower.qxp" 1)" \
  "$class/line_follower.qxp" --app-dir "$app" --course 1

# A terminal gets a progress bar on stderr (script gives the command one).
if ! command -v script > /dev/null; then
  fail "no 'script' (util-linux) to give grade a terminal: the progress bar is not checked"
else
  script -qec "'$cli' grade '$class/line_follower.qxp' --app-dir '$app' --runs 3 --courses 1 --out '$work/tty'" \
    /dev/null > "$work/tty.txt" 2>&1
  expect_eq "grade on a terminal exit" $? 0
  grep -q '100% 3/3 runs' "$work/tty.txt" || fail "no progress bar on a terminal: $(cat -v "$work/tty.txt")"
fi

# The teacher's language: --lang, else TROVEL_LANG, else Japanese whatever the locale. Each row:
# environment, options, then what the CSV header starts with, the page's language and its heading for
# the files that could not be graded (listed before the first course's table).
japanese='[ぁ-んァ-ヶー一-龯（）]'
row=0
while IFS='|' read -r env options header lang unreadable; do
  name="${env:-no language} ${options}" row=$((row + 1))
  out=$work/lang-$row
  # shellcheck disable=SC2086
  env $env "$cli" grade "$class" --app-dir "$app" --runs 1 --courses 1 $options --out "$out" 2> /dev/null
  expect_eq "$name: grade exit" $? 0
  head -1 "$out/report.csv" | grep -q "^"$'\xEF\xBB\xBF'"$header" || fail "$name: csv header: $(head -1 "$out/report.csv")"
  grep -q "<html lang=\"$lang\">" "$out/report.html" || fail "$name: the page is not in [$lang]"
  first_list=$(grep -n "^<h2 class=\"err\">$unreadable</h2>" "$out/report.html" | cut -d: -f1)
  first_table=$(grep -n '<table' "$out/report.html" | head -1 | cut -d: -f1)
  [[ -n $first_list && -n $first_table && $first_list -lt $first_table ]] ||
    fail "$name: the unreadable files are not listed before the results"
  grep -A2 "^<h2 class=\"err\">" "$out/report.html" | grep -q "damaged.qxp</a>: " ||
    fail "$name: the damaged file is not the first listed"
  if [ "$lang" == en ]; then
    for f in report.csv report.html; do
      grep -nP "$japanese" "$out/$f" > "$work/japanese.txt" && fail "$name: $f has Japanese: $(head -3 "$work/japanese.txt")"
    done
    grep -qF "damaged record at line 3" "$out/report.csv" || fail "$name: the damaged file's reason is not in English"
    grep -qF "Repeat 7 is badly connected" "$out/report.html" || fail "$name: the repeat note is not in English"
    grep -qE "<td>1 &times; [a-z ]+</td>" "$out/report.html" || fail "$name: no result word in English"
  else
    grep -qF "3 行目のレコードが壊れています" "$out/report.csv" || fail "$name: the damaged file's reason is not in Japanese"
    grep -qF "くり返し 7 のつなぎ方が正しくありません" "$out/report.html" || fail "$name: the repeat note is not in Japanese"
    grep -qP "<td>1 &times; $japanese+" "$out/report.html" || fail "$name: no result word in Japanese"
  fi
done <<'ROWS'
||プログラム,コース番号,コース名,走行回数,ゴール回数,成功率,|ja|採点できなかったファイル
TROVEL_LANG=en||Program,Course,Course name,Runs,Goals,Success rate,Median lap (ms),Best lap (ms),|en|Files that could not be graded
LANG=en_GB.UTF-8|--lang=en|Program,Course,|en|Files that could not be graded
TROVEL_LANG=ja LANG=en_US.UTF-8||プログラム,コース番号,|ja|採点できなかったファイル
TROVEL_LANG=en|--lang ja|プログラム,コース番号,|ja|採点できなかったファイル
LANG=en_GB.UTF-8||プログラム,コース番号,|ja|採点できなかったファイル
ROWS
# report.json is for scripts: only the teacher's words beside the error differ between languages.
words_out() { sed 's/"error_text":"[^"]*"/"error_text":""/g' "$1/report.json"; }
cmp -s <(words_out "$work/lang-1") <(words_out "$work/lang-2") || fail "report.json changes with the language"

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
