#!/usr/bin/env bash
# Source checks that the compiler cannot make:
# - platform, server and host sources hold no non-ASCII narrow literal (the
#   module's literals are code-page-936 bytes; elsewhere text comes from
#   the module, the server's tables or the language files).
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
for dir in platform server host; do
  [ -d "$dir" ] || continue
  # A line with a byte above 0x7F inside a narrow "..." literal (u8"", u"" and
  # comments are allowed).
  hits=$(grep -rnP --include='*.h' --include='*.cpp' '(?<![u8LU])"[^"]*[^\x00-\x7F][^"]*"' "$dir" \
         | grep -vP '^[^:]+:\d+:\s*//' | grep -v '/tests/' || true)
  if [ -n "$hits" ]; then
    echo "Non-ASCII narrow literals in $dir:"
    echo "$hits"
    status=1
  fi
done
exit $status
