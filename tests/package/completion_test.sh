#!/usr/bin/env bash
# The bash completion of kolvanto-cli, sourced as bash-completion would, asked
# for a few command lines. Arguments: the completion file, kolvanto-cli (with
# the stub data file of the build beside it).
set -uo pipefail
# shellcheck source=/dev/null
source "$1"
cli=$(realpath "$2")
cd "$(mktemp -d)" || exit 1
trap 'rm -rf "$PWD"' EXIT
touch report.d01 'report d02' other.txt

failures=0
cases=0
# Completes the last word of $1 (a trailing blank: an empty word) and compares.
expect() {
  local line=$1 want=$2
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *' ' ]] && COMP_WORDS+=('')
  COMP_WORDS[0]=$cli
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kolvanto_cli
  local got
  cases=$((cases + 1))
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|')
  if [[ $got != "$want" ]]; then
    echo "FAIL: '$line' gave '$got', expected '$want'"
    failures=$((failures + 1))
  fi
}

expect 'kolvanto-cli ' 'check|divide|info|protect|repair|restore'
expect 'kolvanto-cli d' 'divide'
expect 'kolvanto-cli re' 'repair|restore'
expect 'kolvanto-cli --v' '--version'
expect 'kolvanto-cli divide x --ty' '--type|--type0'
expect 'kolvanto-cli divide x --type0 ' 'line|size|string'
expect 'kolvanto-cli divide x --self-restore ' '0|1'
expect 'kolvanto-cli divide x --s' '--self-restore|--size|--string|--stub-data'
expect 'kolvanto-cli restore --he' '--head-cut|--help'
expect 'kolvanto-cli check --sort v' 'verdict'
expect 'kolvanto-cli check --r' '--reverse'
expect 'kolvanto-cli restore rep' 'report d02|report.d01'
expect 'kolvanto-cli divide report.doc -o ' 'other.txt|report d02|report.d01'
expect 'kolvanto-cli divide x --string ' ''
expect 'kolvanto-cli divide x --rec' '--recovery'
expect 'kolvanto-cli protect report.d01 --' '--help|--recovery'
expect 'kolvanto-cli protect report.d01 --recovery ' ''
expect 'kolvanto-cli repair -' '--help|-h'
expect 'kolvanto-cli repair rep' 'report d02|report.d01'
echo "$((cases - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]
