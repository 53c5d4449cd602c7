#!/bin/sh
# The packages of scripts/package as a user unpacks them:
#   deb DIR VERSION TREE  the .deb: lintian, its control fields and files,
#                         the manual pages; the tool run through the link in
#                         bin/ from an unwritable tree: the version, the No
#                         path (nothing written) and the Yes path (the private
#                         dxdiag found beside the real program)
#   zip DIR VERSION TREE  the .zip: the stripped 32-bit GUI program and the
#                         user's text in UTF-8 with a byte-order mark, CR LF
#   deskzip DIR VERSION TREE
#                         the support desk's .zip: the stripped 64-bit console
#                         reader, the example requirements file, the desk's
#                         text and the manual as text, the same way
# In both, no program names a path of TREE, the source and build tree the
# packages were made from. Exit status 77 means the package or a tool to look
# into it is missing.
set -u

. "$(dirname "$0")/../cmake/TestVerdicts.sh"
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"
  done
}

kind=$1
dir=$2
version=$3
tree=${4:?usage: $0 deb|zip|deskzip DIR VERSION TREE}

work=$(mktemp -d "${TMPDIR:-/tmp}/vexaPackage.$$.XXXXXX") || fail "no temporary folder"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

# A program must not tell users where it was built.
no_tree_path() {
  if grep -qaF "$tree/" "$1"; then
    fail "$(basename "$1") names paths of the build machine: $(grep -aoF "$tree/" "$1" | wc -l) times $tree/"
  fi
}

# Sections whose names start with .debug, or a symbol table, in an object file.
debug_sections() {
  objdump -h "$1" | awk '$2 ~ /^\.(debug|zdebug|symtab)/ { print $2 }'
}

deb() {
  need dpkg dpkg-deb objdump man file
  set -- "$dir"/vexaenvchecker_"$version"_*.deb
  [ -f "$1" ] || skip "no vexaenvchecker_${version}_*.deb in $dir (scripts/package makes it)"
  [ $# -eq 1 ] || fail "more than one package of $version in $dir: $*"
  package=$1

  [ "$(dpkg-deb -f "$package" Package)" = vexaenvchecker ] || fail "package name"
  [ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$package" Version)"
  [ "$(dpkg-deb -f "$package" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
  # Debian's own checker fails on errors and warnings; not even a pedantic
  # remark may stay. (Its standard error only says whether it runs as root.)
  # Without lintian the other checks still run; CI installs it and may not
  # go without.
  if command -v lintian >/dev/null 2>&1; then
    lintian --pedantic --display-info --fail-on error,warning "$package" >"$work/lintian" 2>"$work/lintian.err"
    status=$?
    [ ! -s "$work/lintian" ] && [ "$status" -eq 0 ] ||
      fail "lintian (exit status $status): $(cat "$work/lintian" "$work/lintian.err")"
  elif [ -n "${CI:-}" ]; then
    fail "lintian is missing"
  else
    echo "note: lintian is missing, the package is not checked with it"
  fi

  recommends=$(dpkg-deb -f "$package" Recommends)
  [ "$recommends" = "zenity | kdialog, xdg-utils, pci.ids" ] || fail "Recommends: $recommends"
  depends=$(dpkg-deb -f "$package" Depends)
  for runtime in libc6 libstdc++6; do
    case "$depends" in
      *"$runtime"*) ;;
      *) fail "no dependency on $runtime (the C and C++ runtimes): '$depends'" ;;
    esac
  done

  root=$work/root
  dpkg-deb -x "$package" "$root" || fail "dpkg-deb -x"
  (cd "$root" && find . | LC_ALL=C sort) >"$work/files"
  # The menu icon's rendered sizes.
  sizes="16 24 32 48 64 128 256"
  {
    cat <<'EOF'
.
./usr
./usr/bin
./usr/bin/vexaEnvChecker
./usr/bin/vexaEnvReader
./usr/libexec
./usr/libexec/vexaEnvChecker
./usr/libexec/vexaEnvChecker/dxdiag
./usr/libexec/vexaEnvChecker/vexaEnvChecker
./usr/share
./usr/share/applications
./usr/share/applications/vexaEnvChecker.desktop
./usr/share/doc
./usr/share/doc/vexaenvchecker
./usr/share/doc/vexaenvchecker/changelog.gz
./usr/share/doc/vexaenvchecker/copyright
./usr/share/doc/vexaenvchecker/examples
./usr/share/doc/vexaenvchecker/examples/vexaEnvReader-requirements.toml
./usr/share/icons
./usr/share/icons/hicolor
./usr/share/icons/hicolor/scalable
./usr/share/icons/hicolor/scalable/apps
./usr/share/icons/hicolor/scalable/apps/vexaEnvChecker.svg
./usr/share/man
./usr/share/man/man1
./usr/share/man/man1/vexaEnvChecker.1.gz
./usr/share/man/man1/vexaEnvReader.1.gz
EOF
    for size in $sizes; do
      printf './usr/share/icons/hicolor/%s\n' "${size}x$size" "${size}x$size/apps" "${size}x$size/apps/vexaEnvChecker.png"
    done
  } | LC_ALL=C sort >"$work/expected"
  diff "$work/expected" "$work/files" || fail "the package's files differ from the install layout"
  link=$(readlink "$root/usr/bin/vexaEnvChecker")
  [ "$link" = ../libexec/vexaEnvChecker/vexaEnvChecker ] || fail "bin/vexaEnvChecker links to '$link'"
  for file in "$root"/usr/libexec/vexaEnvChecker/vexaEnvChecker "$root"/usr/libexec/vexaEnvChecker/dxdiag \
      "$root"/usr/bin/vexaEnvReader; do
    program=$(basename "$file")
    [ -x "$file" ] || fail "$program is not executable"
    [ -z "$(debug_sections "$file")" ] || fail "$program keeps $(debug_sections "$file" | tr '\n' ' ')"
    # lintian has no word on the stack protector; its check function shows.
    objdump -T "$file" | grep -q '__stack_chk_fail' || fail "$program is built without the stack protector"
    no_tree_path "$file"
  done

  # The menu entry shows the package's own icon, drawn at the size its folder
  # names.
  icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/vexaEnvChecker.desktop")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the menu entry's icon '$icon' is not in the package"
  for size in $sizes; do
    case $(file -b "$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png") in
      "PNG image data, $size x $size, 8-bit/color RGBA"*) ;;
      *) fail "the ${size}x$size icon is $(file -b "$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png")" ;;
    esac
  done

  # Every manual page renders without a complaint from groff, at the width of
  # a terminal; each names its program in its title line.
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    complaints=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$complaints" ] || fail "man $name: $complaints"
    title=$(MANWIDTH=80 man -l "$page" 2>/dev/null | head -n 1)
    case "$title" in
      "$(printf '%s' "$name" | tr a-z A-Z)(1) "*) ;;
      *) fail "man $name begins with '$title'" ;;
    esac
  done
  [ "$("$root/usr/bin/vexaEnvReader" --version)" = "vexaEnvReader $version" ] || fail "vexaEnvReader --version"

  # As a user meets an installed package: nothing in it is writable. A private
  # HOME with a desktop, no display, a machine without graphics cards, and a
  # decoy dxdiag first on PATH that must not be the one the tool starts.
  chmod -R a-w "$root"
  home=$work/home
  mkdir -p "$home/Desktop" "$work/sysfs" "$work/path" "$work/cwd"
  cat >"$work/path/dxdiag" <<'STUB'
#!/bin/sh
path=$(printf '%s' "$2" | sed -e 's/^[Zz]://' -e 's/\\/\//g')
printf 'decoy dxdiag from PATH\r\n' >"$path"
STUB
  chmod 755 "$work/path/dxdiag"
  tool=$root/usr/bin/vexaEnvChecker
  run() {
    (cd "$work/cwd" && env -i HOME="$home" PATH="$work/path:/usr/bin:/bin" LANG=C.UTF-8 SYSFS_PATH="$work/sysfs" \
      "$tool" "$@")
  }
  (cd "$root" && find . -exec ls -ld --time-style=+%s.%N {} + | LC_ALL=C sort) >"$work/before"

  out=$(run --version </dev/null)
  [ $? -eq 0 ] || fail "--version exit status"
  [ "$out" = "vexaEnvChecker $version" ] || fail "--version says '$out'"

  printf 'n\n' | run >"$work/no.out" 2>"$work/no.err"
  status=$?
  [ "$status" -eq 0 ] || fail "No at the start question: exit status $status ($(cat "$work/no.err"))"
  {
    printf '==== vexaEnvChecker のお知らせ (Question) ====\n'
    printf 'デスクトップに環境情報ファイル envInfo.txt を出力しようとしています。\n'
    printf 'この操作はサポートに必要な情報を調査、出力するものです。\n'
    printf '続けてよろしいですか？\n'
    printf '(注意：この操作には時間が掛かる事があります。)\n'
    printf '[Yes/No] (y = はい, n = いいえ): '
  } >"$work/start"
  cmp "$work/start" "$work/no.out" || fail "the start question differs: $(cat "$work/no.out")"
  for folder in "$home/Desktop" "$work/cwd"; do
    [ -z "$(ls -A "$folder")" ] || fail "No at the start wrote $(ls -A "$folder") into $folder"
  done

  printf 'y\nn\n' | run >"$work/yes.out" 2>"$work/yes.err"
  status=$?
  [ "$status" -eq 0 ] || fail "Yes, then No to the mail: exit status $status ($(cat "$work/yes.err"))"
  report=$home/Desktop/envInfo.txt
  [ -f "$report" ] || fail "no report after Yes: $(cat "$work/yes.out")"
  head -c 60 "$report" | grep -q 'System Information' ||
    fail "the report does not begin with the packaged dxdiag's text: $(head -c 60 "$report")"
  grep -q '^DeviceInfo' "$report" || fail "the report has no DeviceInfo section"

  (cd "$root" && find . -exec ls -ld --time-style=+%s.%N {} + | LC_ALL=C sort) >"$work/after"
  diff "$work/before" "$work/after" || fail "the runs changed the installed files"
  echo "ok: $package"
}

zip() {
  need iconv
  if command -v i686-w64-mingw32-objdump >/dev/null 2>&1; then
    objdump() { i686-w64-mingw32-objdump "$@"; }
  else
    need objdump
  fi
  package=$dir/vexaEnvChecker-$version-win32.zip
  [ -f "$package" ] || skip "no $(basename "$package") in $dir (scripts/package makes it)"
  top=vexaEnvChecker-$version-win32
  mkdir "$work/unpacked"
  (cd "$work/unpacked" && cmake -E tar xf "$package") || fail "cannot unpack $package"
  (cd "$work/unpacked" && find . -type f | LC_ALL=C sort) >"$work/files"
  printf './%s/README.txt\n./%s/vexaEnvChecker.exe\n' "$top" "$top" >"$work/expected"
  diff "$work/expected" "$work/files" || fail "the archive's files differ"

  exe=$work/unpacked/$top/vexaEnvChecker.exe
  objdump -p "$exe" >"$work/headers" 2>&1 || fail "objdump cannot read the program: $(cat "$work/headers")"
  grep -q 'file format pei-i386' "$work/headers" || fail "not a 32-bit Windows program"
  grep -q '^Subsystem.*(Windows GUI)' "$work/headers" || fail "not a GUI program"
  grep -q 'symbols stripped' "$work/headers" || fail "the program keeps its symbol table"
  grep -q 'debugging information removed' "$work/headers" || fail "the program is marked as keeping debug information"
  [ -z "$(debug_sections "$exe")" ] || fail "the program keeps $(debug_sections "$exe" | tr '\n' ' ')"
  no_tree_path "$exe"

  windows_text "$work/unpacked/$top/README.txt" "vexaEnvChecker $version"
  grep -q 'vexaEnvChecker.exe をダブルクリック' "$work/text" || fail "README.txt lacks its Japanese text"
  echo "ok: $package"
}

# A text for Notepad on any Windows: a byte-order mark, then UTF-8 with CR LF
# line ends; its first line given. Leaves the text without the mark in
# $work/text.
windows_text() {
  name=$(basename "$1")
  [ "$(head -c 3 "$1" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$name does not begin with the UTF-8 byte-order mark"
  tail -c +4 "$1" >"$work/text"
  iconv -f UTF-8 -t UTF-8 "$work/text" >/dev/null 2>&1 || fail "$name is not UTF-8"
  [ "$(head -n 1 "$work/text")" = "$(printf '%s\r' "$2")" ] || fail "$name's first line: $(head -n 1 "$work/text")"
  [ "$(grep -c "$(printf '\r')\$" "$work/text")" -eq "$(wc -l <"$work/text")" ] || fail "$name has bare LF"
}

deskzip() {
  need iconv od
  if command -v x86_64-w64-mingw32-objdump >/dev/null 2>&1; then
    objdump() { x86_64-w64-mingw32-objdump "$@"; }
  else
    need objdump
  fi
  package=$dir/vexaEnvReader-$version-win64.zip
  [ -f "$package" ] || skip "no $(basename "$package") in $dir (scripts/package makes it)"
  top=vexaEnvReader-$version-win64
  mkdir "$work/unpacked"
  (cd "$work/unpacked" && cmake -E tar xf "$package") || fail "cannot unpack $package"
  (cd "$work/unpacked" && find . -type f | LC_ALL=C sort) >"$work/files"
  for file in README.txt vexaEnvReader-manual.txt vexaEnvReader-requirements.toml vexaEnvReader.exe; do
    printf './%s/%s\n' "$top" "$file"
  done >"$work/expected"
  diff "$work/expected" "$work/files" || fail "the archive's files differ"

  exe=$work/unpacked/$top/vexaEnvReader.exe
  objdump -p "$exe" >"$work/headers" 2>&1 || fail "objdump cannot read the program: $(cat "$work/headers")"
  grep -q 'file format pei-x86-64' "$work/headers" || fail "not a 64-bit Windows program"
  grep -q '^Subsystem.*(Windows CUI)' "$work/headers" || fail "not a console program"
  [ -z "$(debug_sections "$exe")" ] || fail "the program keeps $(debug_sections "$exe" | tr '\n' ' ')"
  # Linked alone: nothing but the system's own DLLs.
  dlls=$(objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' |
    grep -v -e '^kernel32\.dll$' -e '^msvcrt\.dll$' -e '^user32\.dll$' -e '^advapi32\.dll$' -e '^shell32\.dll$' \
      -e '^ole32\.dll$' -e '^api-ms-win-')
  [ -z "$dlls" ] || fail "the program needs $(echo "$dlls" | tr '\n' ' ')"
  no_tree_path "$exe"

  cmp "$work/unpacked/$top/vexaEnvReader-requirements.toml" "$tree/release/vexaEnvReader-requirements.toml" ||
    fail "the example requirements file differs from release/"
  windows_text "$work/unpacked/$top/README.txt" "vexaEnvReader $version for Windows (64-bit)"
  grep -q -- '--require game.toml envInfo.txt' "$work/text" || fail "README.txt does not show --require"
  windows_text "$work/unpacked/$top/vexaEnvReader-manual.txt" \
    "$(MANWIDTH=80 man -l "$tree/release/man/vexaEnvReader.1" 2>/dev/null | head -n 1)"
  ! grep -q "$(printf '\033\\|\010')" "$work/text" || fail "the manual keeps escape sequences or overstriking"
  grep -q -- '--require' "$work/text" || fail "the manual does not describe --require"
  echo "ok: $package"
}

case "$kind" in
  deb) deb ;;
  zip) zip ;;
  deskzip) deskzip ;;
  *) fail "usage: $0 deb|zip|deskzip DIR VERSION TREE" ;;
esac
