#!/bin/sh
# Fails when code outside an area reaches into that area's private parts:
# includes a header from its internal/ folder, or names its ::internal::
# namespace. An area is the folder that holds the internal/ folder (for the
# seam's public include root, platform/include/platform/<x>/internal belongs
# to platform/<x>, and platform/include/platform/internal to platform). The
# fuzz targets test the stand-in from inside and may use its private headers.
# Usage: PrivateParts.sh <source root>
root=${1:?source root}
cd "$root" || exit 1
status=0

complain() {
  echo "$1: $2"
  status=1
}

# The area a private include or namespace belongs to; the file must be in it.
inside() {
  case "$1" in
    "$2"/*) return 0 ;;
  esac
  return 1
}

files=$(git ls-files '*.cpp' '*.h' 2>/dev/null) || files=$(find . -name build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||')

for file in $files; do
  grep -n '#include "[^"]*internal/' "$file" | while IFS= read -r line; do
    path=$(printf '%s\n' "$line" | sed 's/.*#include "\([^"]*\)internal\/.*/\1/; s|/$||')
    case "$path" in
      "") continue ;;  # relative to the including file: its own folder
      platform) area=platform ;;
      platform/posix) area=platform/posix ;;
      *) area=$path ;;
    esac
    inside "$file" "$area" && continue
    if [ "$area" = platform/posix ]; then
      case "$file" in fuzz/*Fuzzer.cpp) continue ;; esac
    fi
    complain "$file" "includes the private header of $area: $line"
  done
  grep -nE '[A-Za-z0-9_]+::internal::' "$file" | while IFS= read -r line; do
    for name in $(printf '%s\n' "$line" | grep -oE '([A-Za-z0-9_]+::)+internal::'); do
      case "$name" in
        vexaSDK::DX8::internal::) area=vexaSDK/dx/dx8_3d ;;
        vexaSDK::*) area=vexaSDK/$(printf '%s' "$name" | cut -d: -f3) ;;
        vexaEnvReader::internal::) area=reader ;;
        vexaEnvChecker::internal::) area=checker ;;
        platform::posix::*) area=platform/posix ;;
        platform::*) area=platform ;;
        *) continue ;;
      esac
      inside "$file" "$area" || complain "$file" "names the private namespace of $area: $line"
    done
  done
done > private-parts.out
if [ -s private-parts.out ]; then
  cat private-parts.out
  rm -f private-parts.out
  exit 1
fi
rm -f private-parts.out
exit $status
