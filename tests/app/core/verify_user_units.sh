#!/usr/bin/env bash
# Installs the build into temporary prefixes and checks the systemd user units
# there: where they land, that ExecStart names the installed program, and
# (where systemd-analyze exists) that systemd accepts them. Exit 77: skipped.
set -euo pipefail
cmake=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# install PREFIX UNIT_FOLDER: installs there and checks the units in
# PREFIX/UNIT_FOLDER.
install_and_check() {
  local prefix=$1 units=$1/$2
  "$cmake" --install "$build" --prefix "$prefix" >/dev/null
  for unit in zeravudez-check.service zeravudez-check.timer; do
    [ -f "$units/$unit" ] || { echo "missing $units/$unit" >&2; exit 1; }
  done
  grep -qx "ExecStart=$prefix/bin/zeravudez --check --notify" "$units/zeravudez-check.service" || {
    echo "ExecStart does not name $prefix/bin/zeravudez:" >&2
    cat "$units/zeravudez-check.service" >&2
    exit 1
  }
  [ -x "$prefix/bin/zeravudez" ] || { echo "no program at $prefix/bin/zeravudez" >&2; exit 1; }
  if command -v systemd-analyze >/dev/null; then
    mkdir -p "$work/runtime"
    chmod 700 "$work/runtime"
    XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user verify \
      "$units/zeravudez-check.service" "$units/zeravudez-check.timer"
  fi
}

# A system prefix, and one inside the home folder (as ~/.local).
install_and_check "$work/usr" lib/systemd/user
HOME=$work/home install_and_check "$work/home/.local" share/systemd/user

if ! command -v systemd-analyze >/dev/null; then
  echo "systemd-analyze is not installed: the units were installed but not verified"
  exit 77
fi
echo "units installed and verified"
