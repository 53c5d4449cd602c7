#!/bin/sh
# The tooling every Windows suite and scripts/test stand on: the Wine loader
# chosen for each kind of program, the skip where this machine cannot run a
# kind, and the counts and closing lines of scripts/test.
#   TestToolingTest.sh <source folder>
top=$1
. "$top/cmake/TestVerdicts.sh"
command -v python3 >/dev/null 2>&1 || skip "python3 is missing"
work=$(mktemp -d "${TMPDIR:-/tmp}/vexaTestToolingTest.XXXXXX") || fail "no temporary folder"
trap 'rm -rf "$work"' EXIT

# A PE image of the given machine field, as far as the loader reads it.
image() {
  python3 -c 'import sys; h = bytearray(256); h[0:2] = b"MZ"; h[0x3c] = 0x80; h[0x80:0x84] = b"PE\0\0"
h[0x84:0x86] = int(sys.argv[2]).to_bytes(2, "little"); open(sys.argv[1], "wb").write(h)' "$1" "$2"
}
image "$work/x86.exe" 332
image "$work/x64.exe" 34404
image "$work/arm.exe" 43620
printf 'MZ' >"$work/short.exe"
printf '#!/bin/sh\necho "ran $0 $*, loader $WINELOADER"\n' >"$work/good"
printf '#!/bin/sh\nexit 126\n' >"$work/bad"
chmod +x "$work/good" "$work/bad"

# loader EXPECTED-STATUS EXPECTED-OUTPUT LOADER32 LOADER64 ARGUMENT
loader() {
  out=$(VEXA_WINE32_LOADER=$3 VEXA_WINE64_LOADER=$4 "$top/cmake/wine-loader" "$5" 2>/dev/null)
  status=$?
  [ "$status" = "$1" ] && [ "$out" = "$2" ] ||
    fail "wine-loader $5 with 32-bit $3, 64-bit $4: status $status, '$out'; expected $1, '$2'"
}
good=$work/good bad=$work/bad none=$work/none
cannot="this machine cannot run 32-bit programs (the 32-bit Wine loader $bad does not start)"
loader 0 "$good" "$good" "$none" "$work/x86.exe"
loader 0 "$good" "$bad" "$good" "$work/x64.exe"
loader 77 "$cannot" "$bad" "$good" "$work/x86.exe"
loader 77 "the 32-bit Wine is not installed (wine32:i386; scripts/setup installs it)" "$none" "$good" "$work/x86.exe"
loader 2 "" "$good" "$good" "$work/arm.exe"
loader 2 "" "$good" "$good" "$work/short.exe"
loader 0 "$good" "$bad" "$good" --tools
loader 0 "" "$good" "$good" --win32
loader 77 "$cannot" "$bad" "$good" --win32
[ "$(VEXA_WINE32_LOADER=$bad VEXA_WINE64_LOADER=$good "$top/cmake/wine-arch")" = win64 ] ||
  fail "wine-arch counts a 32-bit Wine that does not start"

# wine-run: the program's own loader, named in WINELOADER; a skip, not a
# failure, where the kind cannot run.
export VEXA_WINEPREFIX="$work/prefix" VEXA_WINE32_LOADER=$bad VEXA_WINE64_LOADER=$good
out=$("$top/cmake/wine-run" "$work/x64.exe" a b)
[ "$out" = "ran $good $work/x64.exe a b, loader $good" ] || fail "wine-run of a 64-bit program: '$out'"
out=$("$top/cmake/wine-run" "$work/x86.exe")
status=$?
[ "$status" = 77 ] && [ "$out" = "skipped: $cannot" ] || fail "wine-run of a 32-bit program: $status, '$out'"
unset VEXA_WINE32_LOADER VEXA_WINE64_LOADER

# scripts/test's counts: a skip is not a pass, a failure not a skip.
cat >"$work/suite.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="x" tests="4" failures="1" disabled="0" skipped="1">
  <testcase name="ok" status="run"><system-out>fine</system-out></testcase>
  <testcase name="also" status="run"/>
  <testcase name="broken" status="fail"><failure message="Failed"/></testcase>
  <testcase name="wine32" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/><system-out>probe
skipped: this machine cannot run 32-bit programs</system-out></testcase>
  <testcase name="child" status="disabled"><system-out>Disabled</system-out></testcase>
  <testcase name="Calls/T.Each/Monitor  # GetParam() = Monitor" status="notrun"><skipped/><system-out>[ RUN      ] x
a.cpp:354: Skipped
no call of
  this kind
[  SKIPPED ] x (28 ms)</system-out></testcase>
</testsuite>
XML
tally="$top/scripts/testparts/tally.py"
[ "$(python3 "$tally" counts "$work/suite.xml")" = "2 1 2" ] || fail "counts: $(python3 "$tally" counts "$work/suite.xml")"
[ "$(python3 "$tally" skips "$work/suite.xml")" = "wine32 skipped (skipped: this machine cannot run 32-bit programs)
Calls/T.Each/Monitor skipped (no call of this kind)" ] ||
  fail "skips: $(python3 "$tally" skips "$work/suite.xml")"
# What CTest marks "not run" without the test's own skip is a failure: a
# program a failed build did not make, a required file, a failed fixture.
# A suite that ran nothing fails.
cat >"$work/notrun.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="x" tests="4" failures="0" disabled="0" skipped="4">
  <testcase name="gone" status="notrun"><skipped message="Unable to find executable"/></testcase>
  <testcase name="file" status="notrun"><skipped message="Required Files Missing"/></testcase>
  <testcase name="fixture" status="notrun"><skipped message="Fixture dependency failed"/></testcase>
  <testcase name="gtest" status="notrun"><skipped message="SKIP_REGULAR_EXPRESSION_MATCHED"/></testcase>
</testsuite>
XML
printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuite name="x" tests="0"/>\n' >"$work/empty.xml"
for expected in "notrun.xml:0 3 1" "empty.xml:0 1 0"; do
  out=$(python3 "$tally" counts "$work/${expected%%:*}")
  [ "$out" = "${expected#*:}" ] || fail "counts of ${expected%%:*}: '$out', not '${expected#*:}'"
done
[ "$(python3 "$tally" skips "$work/notrun.xml")" = "gtest skipped (SKIP_REGULAR_EXPRESSION_MATCHED)" ] ||
  fail "skips of tests not run: $(python3 "$tally" skips "$work/notrun.xml")"
printf 'builds\t4\t0\t0\t300\nhost\t240\t2\t3\t61\n' >"$work/steps"
printf 'host: a skipped (why)\n' >"$work/unproven"
python3 "$tally" table "$work/steps" "$work/unproven" 400 >"$work/table"
status=$?
[ "$status" = 1 ] || fail "the table of a run with failures exits $status"
[ "$(tail -n 1 "$work/table")" = "244 passed, 2 failed, 3 skipped" ] || fail "last line: $(tail -n 1 "$work/table")"
grep -qx -- "- host: a skipped (why)" "$work/table" || fail "the table does not name what was not proven"
printf 'builds\t4\t0\t1\t300\n' >"$work/steps"
python3 "$tally" table "$work/steps" "$work/none" 300 >/dev/null || fail "a run with skips only fails"
# scripts/test itself, with stand-ins for the build, CTest and the other
# scripts: a build that fails leaves its older suite unrun and failed, a
# fuzz target that breaks counts one failure whatever its line says beside
# its name; a JUnit file cut short is a failure.
tree=$work/tree
mkdir -p "$tree/scripts/testparts" "$tree/cmake" "$work/bin"
cp "$top/scripts/test" "$tree/scripts/"
cp "$tally" "$tree/scripts/testparts/"
printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/setup"
printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/package"
printf '#!/bin/sh\necho "== Path: 30 s"\necho "== ReportReader: 30 s"
echo "fuzzing found inputs that break: ReportReader (see build/fuzz/findings)"; exit 1\n' >"$tree/scripts/fuzz"
printf '#!/bin/sh\nexit 0\n' >"$tree/cmake/wine-loader"
printf '#!/bin/sh\n[ "$*" != "--build --preset mingw-i686" ]\n' >"$work/bin/cmake"
cat >"$work/bin/ctest" <<'SH'
#!/bin/sh
while [ $# -gt 0 ]; do
  case $1 in
    --preset) echo "$2" >>"$RAN"; preset=$2; shift ;;
    --output-junit)
      if [ "$preset" = sanitize ]; then echo '<testsuite><testcase' >"$2"
      else printf '<testsuite><testcase name="t" status="run"/></testsuite>\n' >"$2"; fi
      shift ;;
  esac
  shift
done
SH
chmod +x "$tree/scripts/"* "$tree/cmake/wine-loader" "$work/bin/"*
PATH="$work/bin:$PATH" RAN="$work/ran" bash "$tree/scripts/test" >"$work/run" 2>&1
status=$?
[ "$status" = 1 ] || fail "scripts/test with failed builds exits $status"
! grep -qx mingw-i686 "$work/ran" || fail "scripts/test ran the suite of a failed build"
for row in "builds 3 1 0" "host 1 0 0" "sanitized 0 1 0" "Windows 32-bit 0 1 0" "Windows 64-bit 1 0 0" "fuzzing 1 1 0"; do
  sed 's/  */ /g' "$work/run" | grep -q "^$row " || fail "scripts/test has no row '$row': $(tail -n 14 "$work/run")"
done
[ "$(tail -n 1 "$work/run")" = "6 passed, 4 failed, 0 skipped" ] || fail "scripts/test ends: $(tail -n 1 "$work/run")"
echo "passed"
