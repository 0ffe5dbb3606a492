#!/usr/bin/env bash
# "trovel-cli course build" and "course list" in a scratch application folder: one output line,
# exit codes, the course number simulate then takes, a course file of the same name replacing its
# course, and refused course files installing nothing.
# usage: course_cli.sh CLI SOURCE_DIR WORK_DIR
set -u
cli=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
unset TROVEL_LANG
# The shipped courses beside the executable, in a folder of the test's own.
app=$work/app
mkdir -p "$app"
cp -r "$(dirname "$cli")"/{texture.ini,sim,course,sound,lang,qx_edit_r_resource.ini} "$app"/
# Runs "course ARGS...", checks its exit code, that it printed one line, and that it holds the text.
expect() {
  local code=$1 text=$2; shift 2
  local out rc
  out=$("$cli" course "$@" 2>/dev/null); rc=$?
  [ "$rc" == "$code" ] || fail "course $*: exit $rc, expected $code ($out)"
  [[ "$out" == *"$text"* ]] || fail "course $*: [$out] lacks [$text]"
  [ "$(printf '%s\n' "$out" | wc -l)" == 1 ] || fail "course $*: not one line: $out"
}

cat > "$work/oval.course" <<'COURSE'
TROVEL-COURSE 1
name-ja "だえん"
name-en "Oval"
start -100 170 0
line -100 170 130 170
arc 130 50 120 90 -90
line 250 50 250 -50
arc 130 -50 120 0 -90
line 130 -170 -130 -170
arc -130 -50 120 -90 -90
line -250 -50 -250 50
arc -130 50 120 180 -90
line -130 170 130 170
goal -150 140 -50 200
checkpoint 220 -30 280 30
end
COURSE
expect 0 '{"command":"course build","status":"ok","message":"コース4「だえん」を入れました。","course":4,"entry":0' \
  build "$work/oval.course" --app-dir "$app"
[ -f "$app/user_courses/oval.bmp" ] || fail "no picture in $app/user_courses"
expect 0 '"message":"Course 4 \"Oval\" installed again.","course":4,"entry":0' \
  build "$work/oval.course" --app-dir "$app" --lang en
expect 0 '{"course":4,"name":"だえん","user":true,"timed":true,"checkpoints":1,"best_ms":null}' list --app-dir "$app"
expect 0 '"message":"5 courses.","courses":[{"course":0,"name":"Practice course","user":false' list --app-dir="$app" --lang en
expect 0 '{"course":4,"name":"Oval","user":true' list --app-dir "$app" --lang en
out=$("$cli" simulate "$src/examples/line_follower.qxp" --app-dir "$app" --course 4 2>&1)
[[ "$out" == '{"course":4,'*'"result":8,'* ]] || fail "simulate on the installed course: $out"

# Printing: the installed course by its number, and the course file itself without installing it.
out=$("$cli" course print 4 --paper A4 --app-dir "$app" --out "$work/oval4.pdf" 2>&1)
[[ "$out" == '{"course":4,"pages":'* ]] && [ -s "$work/oval4.pdf" ] || fail "course print of an installed course: $out"
out=$("$cli" course print "$work/oval.course" --paper A4 --app-dir "$app" --out "$work/oval_file.pdf" 2>&1)
[[ "$out" == '{"course":-1,"pages":'* ]] && [ -s "$work/oval_file.pdf" ] || fail "course print of a course file: $out"
[ "${out#*\"pages\"}" == "$("$cli" course print 4 --paper A4 --app-dir "$app" --out "$work/oval4.pdf" | sed 's/.*"pages"//')" ] ||
  fail "a course file and its installed course print differently: $out"

# Refused: nothing of the user's courses changes.
before=$(cat "$app"/user_courses/* | md5sum)
printf 'TROVEL-COURSE 1\nname-ja "x"\nstart 0 0 0\ngoal 300 0 400 10\nend\n' > "$work/outside.course"
expect 2 '"status":"failed","message":"'"$work"'/outside.course: ゴールがコースの外にはみ出しています。"}' \
  build "$work/outside.course" --app-dir "$app"
printf 'TROVEL-COURSE 2\nanything\nend\n' > "$work/newer.course"
expect 2 '"message":"'"$work"'/newer.course: The course file is of a newer version (2) and cannot be read. Update TrovelStudio."}' \
  build "$work/newer.course" --app-dir "$app" --lang en
printf 'TROVEL-COURSE 1\nname-ja "x"\nstart 0 0 0\nline 0 0 1\nend\n' > "$work/short.course"
expect 2 'short.course: 4行目: 値がまちがっているか、足りません。' build "$work/short.course" --app-dir "$app"
head -c 100 "$work/oval.course" > "$work/cut.course"
expect 2 'cut.course: コースファイルが途中で切れています。' build "$work/cut.course" --app-dir "$app"
expect 2 'none.course: コースファイルを開けません。' build "$work/none.course" --app-dir "$app"
[ "$(cat "$app"/user_courses/* | md5sum)" == "$before" ] || fail "a refused course changed the user's courses"
[ -f "$app/user_courses/outside.bmp" ] && fail "a refused course left its picture"
out=$("$cli" course print "$work/outside.course" --paper A4 --app-dir "$app" --out "$work/outside.pdf" 2>&1); rc=$?
[ $rc == 2 ] && [[ "$out" == *"ゴールがコースの外にはみ出しています。"* ]] || fail "course print of a refused file: $rc $out"
[ -e "$work/outside.pdf" ] && fail "a refused course file printed"

expect 2 '"message":"わからない course コマンドです: draw"' draw
expect 2 '"message":"course build の引数が正しくありません。"' build --app-dir "$app"
expect 2 '"message":"わからないオプションです: --paper"' list --paper A4
mkdir -p "$work/empty"
expect 2 'texture.ini: ' list --app-dir "$work/empty"

help=$("$cli" course --help); rc=$?
[ $rc == 0 ] && [[ "$help" == *"build COURSE_FILE"* ]] || fail "course --help: $rc $help"
help=$("$cli" course build --help); rc=$?
[ $rc == 0 ] && [[ "$help" == "Usage: trovel-cli course build COURSE_FILE"* ]] || fail "course build --help: $rc $help"
help=$("$cli" course list --help); rc=$?
[ $rc == 0 ] && [[ "$help" == "Usage: trovel-cli course list"* ]] || fail "course list --help: $rc $help"

[ $failures == 0 ] && echo "course_cli: all checks passed"
exit $((failures > 0))
