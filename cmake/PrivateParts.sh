#!/bin/sh
# Fails when code outside an area reaches into that area's private parts:
# includes a header of its internal/ folder, or names its ::internal::
# namespace. An area is the folder that holds the internal/ folder; the
# seam's public include root gives platform/internal to platform. The fuzz
# targets and the benchmarks measure an area's insides on purpose, so they
# may include the stand-in's and the report writer's private headers.
# Usage: PrivateParts.sh <source root>
root=${1:?source root}
cd "$root" || exit 1

# True when the file lies in the area's folder.
inside() {
  case "$1" in
    "$2"/*) return 0 ;;
  esac
  return 1
}

# Where the measuring programs may look inside.
allowed() {
  case "$1:$2" in
    fuzz/*Fuzzer.cpp:platform/posix) return 0 ;;
    bench/*:vexaSDK/dx/dx8_3d) return 0 ;;
  esac
  return 1
}

# The area of a private namespace, or nothing for one this tree does not own.
namespace_area() {
  case "$1" in
    vexaSDK::DX8::internal::) echo vexaSDK/dx/dx8_3d ;;
    vexaSDK::*::internal::) printf 'vexaSDK/%s\n' "$(printf '%s' "$1" | cut -d: -f3)" ;;
    vexaEnvReader::internal::) echo reader ;;
    vexaEnvChecker::internal::) echo checker ;;
    platform::posix::*) echo platform/posix ;;
    platform::*) echo platform ;;
  esac
}

check_file() {
  file=$1
  # Quotes or angle brackets, blanks around the hash or not.
  grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*internal/' "$file" | while IFS= read -r line; do
    area=$(printf '%s\n' "$line" | sed -E 's/.*include[[:space:]]*["<]([^">]*)internal\/.*/\1/; s|/$||')
    # An include relative to the including file stays in its own folder.
    [ -z "$area" ] && continue
    inside "$file" "$area" || allowed "$file" "$area" || echo "$file: includes a private header of $area: $line"
  done
  # Qualified names, and also "using namespace" and aliases, which end the
  # name at internal itself.
  grep -noE '([A-Za-z0-9_]+::)+internal([^A-Za-z0-9_]|$)' "$file" | while IFS=: read -r number name; do
    area=$(namespace_area "$(printf '%s' "$name" | sed 's/^://; s/internal.*$/internal::/')")
    [ -z "$area" ] && continue
    inside "$file" "$area" || allowed "$file" "$area" || echo "$file:$number: names the private namespace of $area"
  done
}

files=$(find . \( -path ./build -o -path ./.git \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
found=$(for file in $files; do check_file "$file"; done)
if [ -n "$found" ]; then
  printf '%s\n' "$found"
  exit 1
fi
echo "no area's private parts are used from outside it ($(printf '%s\n' $files | wc -l) files)"
