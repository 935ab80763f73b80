#!/usr/bin/env bash
# The real program under Xvfb with an accessibility bus of its own, read
# through AT-SPI as a screen reader reads it.
#   atspi-tree.sh VINTA VINTA-KTS TESTS-DIR OWN-DISPLAY
set -euo pipefail
vinta=$1 kts=$2 here=$3 display=$4
# A session bus needs the machine's id, which every installed system has.
if ! [ -s /etc/machine-id ] && ! [ -s /var/lib/dbus/machine-id ]; then
    echo "no machine id: no session bus to read the program through" >&2
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
"$kts" generate --rows 50 --seed 2 "$work/plan.kts" >/dev/null
"$kts" dump "$work/plan.kts" >"$work/plan.json"
cat >"$work/inner.sh" <<INNER
set -e
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 HOME="$work" XDG_RUNTIME_DIR="$work/run" VINTA_RUNTIME_DIR="$work/run"
export XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=xcb
/usr/libexec/at-spi-bus-launcher --launch-immediately &
"$vinta" "$work/plan.kts" 2>"$work/vinta.err" &
program=\$!
status=0
/usr/bin/python3 "$here/atspi_read.py" "$work/plan.json" || status=\$?
kill \$program 2>/dev/null || true
# What the program said when it went wrong is the first thing to read.
[ \$status = 0 ] || sed 's/^/vinta: /' "$work/vinta.err" >&2
exit \$status
INNER
# No key repeats: a key the test presses is pressed once, however long a
# loaded machine takes between its press and its release.
dbus-run-session -- "$display" -screen 0 1280x1024x24 -r -- bash "$work/inner.sh"
