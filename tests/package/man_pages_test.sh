#!/usr/bin/env bash
# Each manual page renders without a single groff warning (as man -l shows it).
set -euo pipefail
[ $# -eq 4 ]
for page in "$@"; do
  warnings=$(groff -ww -z -man -Tutf8 -k "$page" 2>&1)
  [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
done
echo "$# manual pages render without warnings"
