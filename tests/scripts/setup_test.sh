#!/usr/bin/env bash
# scripts/setup.sh on the machines it meets, with the system's tools replaced
# by stand-ins that record what they were asked: as root (apt-get directly, no
# sudo), as a user with sudo (apt-get through sudo, its frontend setting kept),
# as a user without sudo (a clear message, exit 1, nothing run), and with
# nothing missing (no root needed at all). It runs nothing else: the PATH holds
# only the stand-ins.
#
#   setup_test.sh SOURCE_DIR
set -euo pipefail

source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# stand_ins UID INSTALLED WITH_SUDO: a PATH holding only what setup.sh runs.
stand_ins() {
  local bin=$work/bin-$1-$2-$3
  mkdir -p "$bin"
  for tool in bash env grep; do
    ln -sf "$(command -v "$tool")" "$bin/$tool"
  done
  printf '#!/bin/sh\necho %s\n' "$1" >"$bin/id"
  if [ "$2" = installed ]; then
    printf '#!/bin/sh\nprintf "install ok installed"\n' >"$bin/dpkg-query"
  else
    printf '#!/bin/sh\nexit 1\n' >"$bin/dpkg-query"
  fi
  printf '#!/bin/sh\necho "apt-get $* DEBIAN_FRONTEND=$DEBIAN_FRONTEND" >>"%s/log"\n' "$work" \
    >"$bin/apt-get"
  if [ "$3" = sudo ]; then
    printf '#!/bin/sh\necho sudo >>"%s/log"\nenv -u DEBIAN_FRONTEND "$@"\n' "$work" >"$bin/sudo"
  fi
  chmod +x "$bin"/*
  echo "$bin"
}

# run UID INSTALLED WITH_SUDO: runs setup.sh, leaving its log, output and status.
run() {
  local bin
  bin=$(stand_ins "$@")
  : >"$work/log"
  status=0
  env -i PATH="$bin" "$bin/bash" "$source_dir/scripts/setup.sh" >"$work/output" 2>&1 ||
    status=$?
}

run 0 missing no-sudo
[ "$status" -eq 0 ] || fail "as root: exit $status: $(cat "$work/output")"
grep -q '^apt-get install .* git .*DEBIAN_FRONTEND=noninteractive$' "$work/log" ||
  fail "as root: no install of git with the frontend set: $(cat "$work/log")"
grep -q '^sudo' "$work/log" && fail "as root: sudo was used"

run 1000 missing sudo
[ "$status" -eq 0 ] || fail "with sudo: exit $status: $(cat "$work/output")"
[ "$(grep -c '^sudo' "$work/log")" -eq 2 ] || fail "with sudo: apt-get not run through sudo"
grep -q '^apt-get install .*DEBIAN_FRONTEND=noninteractive$' "$work/log" ||
  fail "with sudo: the frontend setting was lost: $(cat "$work/log")"

run 1000 missing no-sudo
[ "$status" -eq 1 ] || fail "without sudo: exit $status, expected 1"
grep -q 'needs root, and sudo is not installed' "$work/output" ||
  fail "without sudo: no clear message: $(cat "$work/output")"
[ -s "$work/log" ] && fail "without sudo: something ran: $(cat "$work/log")"

run 1000 installed no-sudo
[ "$status" -eq 0 ] || fail "nothing missing: exit $status: $(cat "$work/output")"
[ -s "$work/log" ] && fail "nothing missing: something ran: $(cat "$work/log")"

[ "$failures" -eq 0 ] && echo "setup.sh: root, sudo, no sudo and nothing missing as expected"
exit "$((failures > 0))"
