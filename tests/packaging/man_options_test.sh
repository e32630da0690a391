#!/usr/bin/env bash
# The man page describes every option --help mentions, and no other: the long
# options anywhere in --help against the options of the man page's definition
# lines (those starting with "*-").
#   man_options_test.sh PROGRAM MAN_SOURCE
set -euo pipefail
program=$1 man=$2

help_options=$("$program" --help | grep -oE -- '(^|[^[:alnum:]-])--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+' | sort -u)
man_options=$(grep -E '^\*-' "$man" | grep -oE -- '--[a-z][a-z-]*' | sort -u)

[ -n "$help_options" ] || { echo "--help lists no options" >&2; exit 1; }
if [ "$help_options" != "$man_options" ]; then
  echo "--help and the man page list different options:" >&2
  diff <(echo "$help_options") <(echo "$man_options") | sed -n 's/^</  only in --help:/p; s/^>/  only in the man page:/p' >&2
  exit 1
fi
echo "$(echo "$help_options" | wc -l) options in both"
