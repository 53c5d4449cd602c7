#!/bin/sh
# The private-parts check against a small tree of its own: every way of
# reaching into another area's internal/ folder or namespace is found, and
# what stays inside its area passes.
#   PrivatePartsTest.sh <source folder>
top=$1
. "$top/cmake/TestVerdicts.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/vexaPrivatePartsTest.XXXXXX") || fail "no temporary folder"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/vexaSDK/dx/dx8_3d/internal" "$work/reader"
printf 'namespace vexaSDK::DX8::internal {}\n' >"$work/vexaSDK/dx/dx8_3d/internal/Caps.h"

# EXPECTED-STATUS LINE: the check's status with the line in a reader file.
while IFS='|' read -r expected line; do
  printf '%s\n' "$line" >"$work/reader/Use.cpp"
  sh "$top/cmake/PrivateParts.sh" "$work" >"$work/out" 2>&1
  status=$?
  [ "$status" = "$expected" ] || fail "'$line': status $status, not $expected: $(cat "$work/out")"
done <<'TABLE'
1|#include "vexaSDK/dx/dx8_3d/internal/Caps.h"
1|#include <vexaSDK/dx/dx8_3d/internal/Caps.h>
1|#  include "vexaSDK/dx/dx8_3d/internal/Caps.h"
1|int x = vexaSDK::DX8::internal::kValue;
1|using namespace vexaSDK::DX8::internal;
1|namespace caps = vexaSDK::DX8::internal;
0|#include "vexaSDK/dx/dx8_3d/Caps.h"
0|#include "internal/Own.h"
0|int internalValue = vexaSDK::DX8::internalish;
TABLE
echo "passed"
