#!/bin/sh
# Builds the reference program with FreePascal (fpc) and writes the
# reference table the platform's formatting tests read. Run it after
# changing fpcref.pas; the tests themselves never need fpc.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/platform/tests/data/format_reference.tsv"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! fpc -O1 -FE"$work" -FU"$work" "$here/fpcref.pas" >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi
LC_ALL=C "$work/fpcref" >"$work/table.tsv"
mv "$work/table.tsv" "$out"
echo "wrote $(grep -vc '^#' "$out") rows to platform/tests/data/format_reference.tsv"
