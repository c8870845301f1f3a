#!/usr/bin/env bash
# Runs a Windows program of the cross build under wine: the emulator CMake and
# CTest put in front of every Windows executable. Wine stays silent
# (WINEDEBUG=-all) and uses one prefix per user under /tmp, created on first use.
# With --prepare it only creates the prefix (the set-up script does this once).
set -euo pipefail

export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-/tmp/sfqp-wine-$(id -u)}"
# No desktop integration (menu entries and file types in the user's home), no
# Gecko or Mono installers: a console-only prefix that leaves nothing outside it.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Two tests starting at once must not both build the prefix.
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait
  fi
  flock -u 9
  exec 9>&-
fi

if [ "${1:-}" = "--prepare" ]; then
  exit 0
fi

# Wine's server and its service processes, when a program starts them, inherit
# the program's output pipes, and a test runner waits for those to close: for
# seconds after every program. So they are started here with no pipes, the
# server kept a few seconds past its last program so that a run of tests
# shares it. (wineserver exits with 2 when one is already running.)
if wineserver -p5 </dev/null >/dev/null 2>&1; then
  wine wineboot </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
