#!/usr/bin/env bash
# trovel-cli print and course print against the real executable: the JSON line, the PDF's pages as
# pdfinfo reads them, and bad arguments.
# usage: print_cli.sh CLI SOURCE_DIR WORK_DIR
set -u
cli=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
app=$(dirname "$cli")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$2" == "$3" ] || fail "$1: expected [$3] got [$2]"; }
have_pdfinfo=1
command -v pdfinfo > /dev/null || { have_pdfinfo=0; echo "SKIP: pdfinfo (poppler-utils) is not installed: page counts and sizes of the PDFs are not checked"; }
# "PAGES WIDTHxHEIGHT" in whole points, as pdfinfo reads the file.
pdf_pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ {p=$2} /^Page size:/ {w=$3; h=$5} END {printf "%d %.0fx%.0f", p, w, h}'; }

# Tiles: the JSON line and the file agree; the shipped courses print at 2 mm a unit.
while IFS="|" read -r words json size; do
  # shellcheck disable=SC2086
  out=$("$cli" course print $words --app-dir "$app" --out "$work/c.pdf" 2> "$work/err"); expect_eq "course print $words exit" $? 0
  expect_eq "course print $words" "$out" "$json"
  [ -s "$work/err" ] && fail "course print $words wrote to stderr: $(cat "$work/err")"
  if [ $have_pdfinfo = 1 ]; then
    pages=$(sed 's/.*"pages":\([0-9]*\).*/\1/' <<< "$out")
    expect_eq "course print $words pdf" "$(pdf_pages "$work/c.pdf")" "$pages $size"
  fi
  rm -f "$work/c.pdf"
done <<'ROWS'
1 --paper A4|{"course":1,"pages":33,"rows":4,"columns":8,"scale":2,"size_mm":[1400,1000],"paper":"A4","landscape":false,"poster":false}|595x842
1 --paper a3 --landscape|{"course":1,"pages":17,"rows":4,"columns":4,"scale":2,"size_mm":[1400,1000],"paper":"A3","landscape":true,"poster":false}|1191x842
3 --paper=A4 --size=1200x900|{"course":3,"pages":29,"rows":4,"columns":7,"scale":1.7143,"size_mm":[1200,857.14],"paper":"A4","landscape":false,"poster":false}|595x842
0 --poster|{"course":0,"pages":1,"rows":0,"columns":0,"scale":2,"size_mm":[1400,1000],"paper":null,"landscape":false,"poster":true}|3969x2835
ROWS

# The chart: one page for an example, more for a chart taller than a page.
out=$("$cli" print "$src/examples/line_follower.qxp" --paper A4 --app-dir "$app" --out "$work/chart.pdf"); expect_eq "print exit" $? 0
[[ $out =~ ^\{\"pages\":1,\"scale\":0.2646,\"size_mm\":\[[0-9.]+,[0-9.]+\],\"paper\":\"A4\",\"landscape\":false\}$ ]] || fail "print: $out"
[ $have_pdfinfo = 1 ] && expect_eq "print pdf" "$(pdf_pages "$work/chart.pdf")" "1 595x842"
{ printf '\xff\xfe'; {
  printf 'FORMAT_:[QX_FMT_4]\r\n\r\n'
  printf 'CMD_\t[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]\r\n'
  printf 'CMD_\t[[main]]-[27,3600]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]\r\n'
  for ((i = 0; i < 40; i++)); do
    printf 'CMD_\t[[f]]-[%d,%d]-[4]-[15,1,0,0,0,0,0,0,0,0]-[13,27]-[%d,-1]-[-1]\r\n' $((27 + i % 3 * 200)) $((90 + i * 85)) \
      $((i < 39 ? i + 3 : 1))
  done; } | iconv -f UTF-8 -t UTF-16LE; } > "$work/tall.qxp"
out=$("$cli" print "$work/tall.qxp" --paper A4 --app-dir "$app" --out "$work/tall.pdf"); expect_eq "print tall exit" $? 0
[[ $out == '{"pages":4,'* ]] || fail "print tall: $out"
out=$("$cli" print "$work/tall.qxp" --paper A3 --app-dir "$app" --out "$work/tall3.pdf")
[[ $out == '{"pages":3,'*'"paper":"A3","landscape":false}' ]] || fail "print tall on A3: $out"
[ $have_pdfinfo = 1 ] && expect_eq "print tall A3 pdf" "$(pdf_pages "$work/tall3.pdf")" "3 842x1191"

# Bad arguments and input: exit 2, a reason on stderr, nothing on stdout, no PDF.
printf 'not a program' > "$work/text.qxp"
while read -r words; do
  # shellcheck disable=SC2086
  out=$(eval "\"$cli\" $words" 2> "$work/err"); code=$?
  expect_eq "$words exit" $code 2
  [ -n "$out" ] && fail "$words printed: $out"
  [ -s "$work/err" ] || fail "$words: no reason on stderr"
done <<ROWS
course print 1 --out $work/x.pdf
course print 1 --paper A5 --out $work/x.pdf
course print 1 --paper A4
course print 1 --paper A4 --size 50x50 --out $work/x.pdf
course print 1 --paper A4 --size 1400 --out $work/x.pdf
course print 1 --paper A4 --size infx1000 --out $work/x.pdf
course print 99 --paper A4 --app-dir $app --out $work/x.pdf
course print --paper A4 --out $work/x.pdf
course print 1 --paper A4 --app-dir $work --out $work/x.pdf
course print 1 --paper A4 --app-dir $app --out $work/no/such/folder/x.pdf
course print 1 2 --paper A4 --out $work/x.pdf
print $work/text.qxp --paper A4 --out $work/x.pdf
print $src/examples/line_follower.qxp --out $work/x.pdf
print $src/examples/line_follower.qxp --paper A4
ROWS
[ -e "$work/x.pdf" ] && fail "a failed print left a PDF"

for words in "print --help" "course --help" "course print --help"; do
  # shellcheck disable=SC2086
  out=$("$cli" $words 2> "$work/help.err"); expect_eq "$words exit" $? 0
  [[ $out == Usage:\ trovel-cli* ]] || fail "$words: no usage on stdout: $out"
  [ -s "$work/help.err" ] && fail "$words wrote to stderr"
done

[ $failures -eq 0 ] && echo "all print checks passed"
exit $((failures > 0))
