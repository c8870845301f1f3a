#!/bin/sh
# Fails unless mexFunction is the only symbol the module defines for the
# dynamic linker. Usage: check_exports.sh NM MODULE (NM: the build's nm, which
# reads a cross build's files).
set -eu
nm=$1
module=$2
exports=$("$nm" -D --defined-only "$module" | awk '{ print $NF }')
if [ "$exports" != "mexFunction" ]; then
  echo "$module exports more than mexFunction:" >&2
  echo "$exports" >&2
  exit 1
fi
echo "$module exports only mexFunction"
