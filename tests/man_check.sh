#!/usr/bin/env bash
# Renders the manual pages with man -l and fails on any warning.
#   tests/man_check.sh PAGE...
set -uo pipefail
failed=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  lines=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$page" 2>/dev/null | wc -l)
  if [ -n "$warnings" ] || [ "$lines" -lt 20 ]; then
    echo "man: $page: ${warnings:-only $lines lines rendered}"
    failed=$((failed + 1))
  fi
done
echo "man: $(($# - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
