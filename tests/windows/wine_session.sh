#!/usr/bin/env bash
# Runs a Windows test program, or a test script, in a Wine session of its own: a fresh 64-bit Wine
# prefix, an X server of its own (Xvfb, 1024 x 768) showing one Wine desktop, and a wineserver kept
# running for the whole session; all of them are gone at the end.
#
#   tests/windows/wine_session.sh build/windows-programs/tests/windows/ui_test.exe [ARGUMENT...]
#   tests/windows/wine_session.sh tests/windows/installer_test.sh [ARGUMENT...]
#
# A program runs with the loader of its own bitness; a script runs with WINEPREFIX and DISPLAY set
# and the loaders in WINE32 and WINE64. The script's exit status is theirs. A 32-bit program on a
# machine whose kernel runs no 32-bit code cannot run at all: the script says so and exits with
# 77, which CTest reports as a skipped test. With QVTOUCH_SCREENSHOT_DIR set to a folder, the
# program finds it under that variable as the prefix's Windows path, and saves its screenshots
# there.
set -euo pipefail

program=$1
shift

# Debian's loaders: its `wine` command is the 32-bit one.
export WINE32=/usr/lib/wine/wine WINE64=/usr/lib/wine/wine64
run=("$program")
if [[ $program == *.exe ]]; then
  # The PE machine field: 0x14c for a 32-bit program, 0x8664 for a 64-bit one.
  pe_header=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe_header + 4)) -N2 "$program" | tr -d ' ')
  if [ "$machine" = 8664 ]; then
    run=("$WINE64" "$program")
  elif "$WINE32" --version >/dev/null 2>&1; then
    run=("$WINE32" "$program")
  else
    echo "wine_session: skipped: this machine runs no 32-bit programs (its kernel has no 32-bit" \
      "emulation), so Wine cannot run $(basename "$program")" >&2
    exit 77
  fi
fi

session=$(mktemp -d "${TMPDIR:-/tmp}/qvtouch-wine.XXXXXX")
xvfb=
cleanup() {
  if [ -d "$session/prefix" ]; then WINEPREFIX=$session/prefix wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$session"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$session/display" 2>"$session/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$session/display" ] && break; sleep 0.1; done
if [ ! -s "$session/display" ]; then
  echo "wine_session: Xvfb did not start" >&2
  cat "$session/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(cat "$session/display")"

export WINEPREFIX=$session/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No downloads of the .NET and HTML engines: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine ends a session's services a few seconds after its last program: one server for the session.
mkdir -p "$WINEPREFIX"
wineserver -p
# The prefix's first command starts services that keep its output open: never a pipe.
"$WINE64" wineboot -i >"$session/wineboot.log" 2>&1 ||
  { cat "$session/wineboot.log" >&2; exit 1; }
# One Wine desktop as large as the screen, in which Wine frames the windows itself: there is no
# window manager to give them captions. The desktop that wineboot started ends with its server.
"$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
  >/dev/null 2>&1
wineserver -k
wineserver -p

if [ -n "${QVTOUCH_SCREENSHOT_DIR:-}" ]; then
  mkdir -p "$QVTOUCH_SCREENSHOT_DIR"
  QVTOUCH_SCREENSHOT_DIR=$("$WINE64" winepath -w "$(realpath "$QVTOUCH_SCREENSHOT_DIR")" \
    2>/dev/null)
  export QVTOUCH_SCREENSHOT_DIR
fi
"${run[@]}" "$@"
