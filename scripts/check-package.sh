#!/usr/bin/env bash
# Checks what Vinta puts on a desktop: the installed tree (desktop entry, file
# type by name and by content, icons, manual pages) and the Debian package
# (contents, lintian). With --apt it also installs the package on this machine
# through apt, checks the triggers ran, and removes it again.
# usage: check-package.sh [--apt]   (after scripts/build.sh; build dir: $VINTA_BUILD_DIR or build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VINTA_BUILD_DIR:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/vinta.desktop"

# The software centres' entry: valid, launching the desktop entry, its newest
# release the changelog's, as dpkg reads the changelog.
metainfo=$prefix/share/metainfo/example.vinta.Vinta.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q '<launchable type="desktop-id">vinta.desktop</launchable>' "$metainfo" || fail "no launchable"
version=$(dpkg-parsechangelog -l data/debian/changelog -S Version)
date=$(date -u -d "$(dpkg-parsechangelog -l data/debian/changelog -S Date)" +%F)
grep -q "<release version=\"$version\" date=\"$date\"/>" "$metainfo" || fail "releases do not follow the changelog"

update-mime-database "$prefix/share/mime"
"$build/tools/vinta-kts" new "$work/plan.kts"
cp "$work/plan.kts" "$work/renamed.dat"
for f in plan.kts renamed.dat; do
  type=$(XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_CURRENT_DESKTOP= xdg-mime query filetype "$work/$f" 2>/dev/null)
  [ "$type" = application/x-vinta-schedule ] || fail "$f is seen as '$type'"
done

for size in 16 22 24 32 48 64 128 256; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/vinta.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}px icon is $got"
done
for page in vinta vinta-kts vinta-lan; do
  gzip -t "$prefix/share/man/man1/$page.1.gz"
done
[[ $("$prefix/bin/vinta" --version) == "vinta "* ]] || fail "vinta --version"

(cd "$build" && rm -f vinta_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vinta_*.deb)
# Whole outputs first: grep -q stops reading early, and under pipefail the
# writer's SIGPIPE would fail the check at random.
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb")
grep -q 'Depends:.*libqt6widgets6' <<<"$info" || fail "no computed dependencies"
grep -q './usr/share/mime/packages/vinta.xml' <<<"$contents" || fail "no file type"
lintian --fail-on error "$deb"

if [ "${1:-}" = --apt ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")" >/dev/null
  [ -f /usr/share/mime/application/x-vinta-schedule.xml ] || fail "the file type database was not updated"
  grep -q 'application/x-vinta-schedule=vinta.desktop' /usr/share/applications/mimeinfo.cache ||
    fail "the desktop database was not updated"
  vinta --version >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq vinta >/dev/null
fi
echo "check-package: passed"
