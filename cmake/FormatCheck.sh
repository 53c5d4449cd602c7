#!/bin/sh
# Fails when a C++ file of the tree differs from what clang-format makes of
# it with the tree's .clang-format: one layout, checked, not argued about.
# Generated files and the third-party sources the build compiles are not
# the tree's. Usage: FormatCheck.sh <source root>
root=${1:?source root}
cd "$root" || exit 1
. cmake/TestVerdicts.sh
command -v clang-format >/dev/null 2>&1 || skip "clang-format is missing (scripts/setup installs it)"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  files=$(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||')
fi
[ -n "$files" ] || fail "no C++ file found under $root"
differing=
for file in $files; do
  [ -f "$file" ] || continue
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || differing="$differing $file"
done
[ -z "$differing" ] || fail "not as clang-format lays them out (clang-format -i to fix):$differing"
echo "passed: $(echo "$files" | wc -l) files as clang-format lays them out"
