#!/usr/bin/env bash
# The desktop entry and the metainfo pass their validators with no warnings,
# and the metainfo's release is the program's version.
#   validate_test.sh DESKTOP_FILE METAINFO VERSION
set -euo pipefail
desktop=$1 metainfo=$2 version=$3

out=$(desktop-file-validate "$desktop" 2>&1) || { echo "$out" >&2; exit 1; }
[ -z "$out" ] || { echo "desktop-file-validate: $out" >&2; exit 1; }

out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || { echo "$out" >&2; exit 1; }
if grep -qE '^[EW]:' <<<"$out"; then
  echo "$out" >&2
  exit 1
fi
grep -q "<release version=\"$version\"" "$metainfo" || { echo "the metainfo's release is not $version" >&2; exit 1; }
echo ok
