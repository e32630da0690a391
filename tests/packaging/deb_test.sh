#!/usr/bin/env bash
# Tests the Debian package made by scripts/package: unpacked into a temporary
# folder, its program answers --version (the package's version) and --help;
# it holds exactly the files an installation to /usr from the same build
# holds, with the parts a desktop installation needs, nothing outside /usr,
# checksums that match and Depends computed from the program's libraries.
#   deb_test.sh PACKAGE BUILD_DIR
set -euo pipefail
deb=$1 build=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
version=$(dpkg-deb -f "$deb" Version)
package=$(dpkg-deb -f "$deb" Package)
[ "$(basename "$deb")" = "${package}_${version}_amd64.deb" ] || fail "file name $(basename "$deb")"

got=$(QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/zeravudez" --version) || fail "--version exited with $?"
[ "$got" = "zeravudez $version" ] || fail "--version says '$got', the package is $version"
help=$(QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/zeravudez" --help) || fail "--help exited with $?"
grep -q '^Usage:' <<<"$help" || fail "--help prints no usage"

# The package's files against an installation to /usr from the same build.
DESTDIR=$work/install cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/root" && find . ! -type d | sed 's|^\.||' | sort) >"$work/packaged"
(cd "$work/install" && find . ! -type d | sed 's|^\.||' | sort) >"$work/installed"
if ! diff -u "$work/installed" "$work/packaged" >"$work/diff"; then
  fail "the package's files differ from an installation's:"
  sed -n '3,$p' "$work/diff"
fi
# Every path of the listing dpkg keeps is one the unpacked package holds.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\.||; s|/$||' | grep -v '^$' | sort >"$work/listed"
(cd "$work/root" && find . -mindepth 1 | sed 's|^\.||' | sort) >"$work/unpacked"
diff -q "$work/listed" "$work/unpacked" >/dev/null || fail "dpkg-deb -c and the unpacked tree differ"
outside=$(grep -v '^/usr/' "$work/packaged" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

app_id=com.zeravudez.Zeravudez
for path in /usr/bin/zeravudez /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/zeravudez.svg /usr/share/man/man1/zeravudez.1.gz \
  /usr/share/bash-completion/completions/zeravudez /usr/share/zsh/vendor-completions/_zeravudez \
  /usr/share/doc/zeravudez/copyright /usr/share/doc/zeravudez/changelog.gz \
  /usr/lib/systemd/user/zeravudez-check.service /usr/lib/systemd/user/zeravudez-check.timer; do
  grep -qxF "$path" "$work/packaged" || fail "missing $path"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$work/root/usr/share/icons/hicolor/${size}x${size}/apps/zeravudez.png
  [ -f "$png" ] || { fail "missing ${size}x${size} icon"; continue; }
  # Width and height from the PNG header.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done
grep -qx 'ExecStart=/usr/bin/zeravudez --check --notify' "$work/root/usr/lib/systemd/user/zeravudez-check.service" ||
  fail "the service does not run /usr/bin/zeravudez"
gzip -t "$work/root/usr/share/man/man1/zeravudez.1.gz" || fail "the man page is not gzip"
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo's release is not $version"
zcat "$work/root/usr/share/doc/zeravudez/changelog.gz" | head -1 | grep -qF "zeravudez ($version)" ||
  fail "the changelog's last entry is not $version"

(cd "$work/root" && md5sum --quiet -c "$work/control/md5sums") || fail "md5sums do not match"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libsqlite3-0 libcurl4; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
for field in Maintainer Section Homepage Description; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field"
done
if find "$work/root" -type f -perm /022 | grep -q .; then
  fail "group- or world-writable files"
fi

if ((failures > 0)); then
  echo "$failures package checks failed"
  exit 1
fi
echo "package $package $version: $(wc -l <"$work/packaged") files, all checks passed"
