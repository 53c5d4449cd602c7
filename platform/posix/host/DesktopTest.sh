#!/bin/sh
# The tool on a Linux desktop, as a user meets it:
#   entry FILE          the application-menu entry passes desktop-file-validate
#   dialog PROBE OUTDIR a message box with stdin not a terminal appears as a
#                       zenity dialogue on a private X server, is screenshot
#                       into OUTDIR and answered there: Return says Yes, Escape
#                       (as closing it) says No
# Exit status 77 means the machine lacks a tool the check needs.
set -u

here=$(dirname "$0")
. "$here/../../../cmake/TestVerdicts.sh"

entry() {
  command -v desktop-file-validate >/dev/null 2>&1 || skip "desktop-file-validate is missing (desktop-file-utils)"
  report=$(desktop-file-validate "$1" 2>&1)
  status=$?
  [ -z "$report" ] || echo "$report"
  [ "$status" -eq 0 ] || fail "desktop-file-validate rejects $1"
  case "$report" in *error:* | *warning:*) fail "desktop-file-validate complains about $1" ;; esac
  echo "ok: $1"
}

# Waits up to $2 tenths of a second for process $1 to end.
ended_within() {
  n=0
  while kill -0 "$1" 2>/dev/null; do
    n=$((n + 1))
    [ "$n" -le "$2" ] || return 1
    sleep 0.1
  done
}

dialog() {
  probe=$1
  out=$2
  for tool in zenity xdotool import; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (zenity, xdotool, imagemagick)"
  done
  # On a private X server: started without one, again under cmake/with-xvfb.
  if [ -z "${VEXA_PRIVATE_DISPLAY:-}" ] || [ "$VEXA_PRIVATE_DISPLAY" != "${DISPLAY:-}" ]; then
    exec sh "$here/../../../cmake/with-xvfb" sh "$0" dialog "$probe" "$out"
  fi
  work=$(mktemp -d "${TMPDIR:-/tmp}/vexaDesktop.$$.XXXXXX") || fail "no temporary folder"
  mkdir -p "$out"
  box=
  trap 'cleanup' EXIT
  cleanup() {
    [ -z "$box" ] || kill "$box" 2>/dev/null
    rm -rf "$work"
  }

  # A private home and no session services; the C locale on purpose, as a
  # menu launch may have it.
  export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
  export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
  export LC_ALL=C
  title='vexaEnvChecker のお知らせ'

  for round in yes no; do
    "$probe" </dev/null >"$work/answer" 2>"$work/probe.log" &
    box=$!
    # Asked again until it answers: a search that meets a window going away
    # ends with an X error and no result.
    window=
    n=0
    while [ -z "$window" ]; do
      n=$((n + 1))
      [ "$n" -le 200 ] || fail "no dialogue appeared within 20 s ($(cat "$work/probe.log"))"
      window=$(xdotool search --name '^vexaEnvChecker ' 2>/dev/null | head -n 1)
      [ -n "$window" ] || sleep 0.1
    done
    shown=$(xdotool getwindowname "$window")
    [ "$shown" = "$title" ] || fail "the dialogue's title is '$shown', not '$title'"
    if [ "$round" = yes ]; then
      sleep 0.5  # let it draw
      import -window root "$out/start-question.png" || fail "no screenshot"
      key=Return expected=6
    else
      key=Escape expected=7
    fi
    xdotool windowfocus --sync "$window" && xdotool key "$key" || fail "could not answer the dialogue"
    ended_within "$box" 100 || fail "MessageBoxA did not return after $key"
    wait "$box"
    box=
    answer=$(cat "$work/answer")
    [ "$answer" = "$expected" ] || fail "$key answered $answer, not $expected"
    echo "ok: $key answers $answer"
    # The server lets the window go a moment after its program ended; the
    # next round must not find it.
    n=0
    while [ -n "$(xdotool search --name '^vexaEnvChecker ' 2>/dev/null)" ]; do
      n=$((n + 1))
      [ "$n" -le 100 ] || fail "the answered dialogue is still there after 10 s"
      sleep 0.1
    done
  done
  echo "screenshot: $out/start-question.png"
}

case "${1:-}" in
  entry) entry "$2" ;;
  dialog) dialog "$2" "$3" ;;
  *) fail "usage: $0 entry FILE | dialog PROBE OUTDIR" ;;
esac
