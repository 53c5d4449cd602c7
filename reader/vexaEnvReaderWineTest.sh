#!/bin/sh
# The Windows console program under Wine: the report the host tool wrote and
# the one the Windows program wrote under Wine, read as the desk reads them,
# and weighed against the example requirements file.
#   vexaEnvReaderWineTest.sh <vexaEnvReader.exe> <testdata folder> <wine-run> [its options]
# The emulator comes last, as it may be a command with options of its own.
program=$1 data=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/vexaEnvReaderWineTest.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
{
  printf 'exec'
  for word in "$@"; do printf " '%s'" "$word"; done
  printf ' "$@"\n'
} >"$work/emulator"
fail() { echo "FAIL: $*"; exit 1; }
# The emulator's 77: this machine cannot run programs of this kind.
sh "$work/emulator" "$program" --version >"$work/probe" 2>&1
[ $? != 77 ] || { cat "$work/probe"; exit 77; }
cp "$data/host-envInfo.txt" "$data/wine-envInfo.txt" "$data/ja-basic-display-envInfo.txt" "$data/laptop-envInfo.txt" \
  "$data/de-cp1252-envInfo.txt" "$data/de-utf8-envInfo.txt" "$work/"
head -c 2000 "$data/wine-envInfo.txt" >"$work/cut.txt"
cp "$data/../../release/vexaEnvReader-requirements.toml" "$work/game.toml"
cd "$work" || exit 1

# Exit status and how the first line of standard output begins (empty: no
# output at all), line ends as on the host.
check() {
  expected_status=$1 expected_first=$2
  shift 2
  sh "$work/emulator" "$program" "$@" >out.crlf 2>err.txt
  status=$?
  tr -d '\r' <out.crlf >out.txt
  [ "$status" = "$expected_status" ] || fail "$*: exit status $status, not $expected_status ($(cat err.txt))"
  first=$(head -n 1 out.txt)
  if [ -z "$expected_first" ]; then
    [ ! -s out.txt ] || fail "$*: output '$first...' where none was expected"
  elif [ "${first#"$expected_first"}" = "$first" ]; then
    fail "$*: first line '$first' does not begin with '$expected_first'"
  fi
}

check 0 "vexaEnvReader @PROJECT_VERSION@" --version
check 2 "" --diff host-envInfo.txt
check 1 "cut.txt" cut.txt
check 0 "wine-envInfo.txt" wine-envInfo.txt
diff "$data/wine-summary.txt" out.txt || fail "the summary of the Wine report differs from wine-summary.txt"
for name in ja-basic-display laptop; do
  check 0 "$name-envInfo.txt" "$name-envInfo.txt"
  diff "$data/$name-summary.txt" out.txt || fail "the summary of $name-envInfo.txt differs from $name-summary.txt"
done
check 0 '{"file":"host-envInfo.txt","encoding":"cp932","lines":1142,"whole":true,"repaired":[],"problem":null,"diagnostics":[{"line":2,"title":"System Information","lines":[{"line":4,"label":"Time of this report","value":"12/7/2026, 11:48:03"},{"line":5,"label":"Machine name","value":"vm"},{"line":6,"label":"Operating System","value":"Debian GNU/Linux 12 (bookworm) (Linux 6.18.44-fc-v1300)"},{"line":7,"label":"Language","value":"C.UTF-8"},{"line":8,"label":"Processor","value":"AMD EPYC (2 CPUs)"},{"line":9,"label":"Memory","value":"24105MB RAM"}]},{"line":12,"title":"Display Devices","lines":[{"line":14,"text":"none found"}]},{"line":17,"title":"Sound Devices","lines":[{"line":19,"text":"none found"}]}],"deviceInfoLine":22,"adapters":[{"line":25,"description":"Direct3D 8 Display Adapter (POSIX host)",' \
  --json host-envInfo.txt wine-envInfo.txt
[ "$(wc -l <out.crlf)" = 2 ] || fail "--json of two reports gives $(wc -l <out.crlf) lines"
check 0 "--- host-envInfo.txt" --diff host-envInfo.txt wine-envInfo.txt
grep -q '^  Operating System: + Windows' out.txt || fail "--diff names no operating system of the Wine report"
check 0 "<!DOCTYPE html>" --html wine-envInfo.txt
check 0 "Fleet: 2 machines from 2 reports" --fleet host-envInfo.txt wine-envInfo.txt
check 0 "table,value,machines,share,not read" --fleet --csv host-envInfo.txt wine-envInfo.txt
[ "$(grep -c "$(printf '\r\r')" out.crlf)" = 0 ] || fail "--fleet --csv writes CR CR LF"
[ "$(grep -c "$(printf '\r')\$" out.crlf)" = "$(wc -l <out.crlf)" ] || fail "--fleet --csv writes lines without CR LF"
check 3 "wine-envInfo.txt" --require game.toml wine-envInfo.txt
grep -qx '  failed minimum display mode 800 x 600 D3DFMT_R5G6B5: no such mode among 3 (line 550)' out.txt ||
  fail "--require does not name the display mode the Wine report lacks: $(cat out.txt)"
# A German Windows' report, and the same re-saved as UTF-8: the same code
# page detected and the same text as on the host.
check 0 '{"file":"de-cp1252-envInfo.txt","encoding":"cp1252"' --json de-cp1252-envInfo.txt
for report in de-cp1252-envInfo.txt de-utf8-envInfo.txt; do
  check 0 "$report" "$report"
  grep -qx 'Adapter 1: Intel® HD Graphics 620' out.txt || fail "$report: the adapter's name is garbled ($(grep '^Adapter' out.txt))"
done
grep -qx '  Encoding:         utf-8 (detected)' out.txt || fail "de-utf8-envInfo.txt: $(grep Encoding out.txt)"
echo "PASS"
