#!/usr/bin/env bash
# What a user waits for: the real program started with a schedule, from exec
# to the first paint of the loaded rows, under Xvfb. Prints one line a run
# with the time and the peak memory (GNU time). With "a11y", each run has a
# session bus with an accessibility bus already up and Qt's bridge on, as
# under a screen reader.
#   bench/startup.sh BUILD_DIR FILE.kts [RUNS] [a11y]
set -euo pipefail
if [ "${1:-}" = --inner ]; then
    exe=$2 file=$3 home=$4 a11y=${5:-}
    if [ -n "$a11y" ]; then
        # Started by the bus on the first call, which answers once it is up.
        dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
        export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    fi
    t0=$(date +%s%N)
    out=$(HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_STATE_HOME="$home/state" VINTA_RUNTIME_DIR="$home/run" \
        VINTA_FIRST_PAINT=1 /usr/bin/time -f "peak %M KiB" "$exe" "$file" 2>&1 >/dev/null | tr '\n' ' ')
    painted=${out#*first-paint }
    painted=${painted%% *}
    peak=${out#*peak }
    echo "$(( (painted - t0) / 1000000 )) ms to first paint, peak ${peak%% KiB*} KiB"
    exit 0
fi
build=$1 file=$(realpath "$2") runs=${3:-5} a11y=${4:-}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
session=()
[ -n "$a11y" ] && session=(dbus-run-session --)
for _ in $(seq "$runs"); do
    "${session[@]}" xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" --inner "$(realpath "$build")/src/app/vinta" \
        "$file" "$home" "$a11y" 2> >([ -n "$a11y" ] && cat >/dev/null || cat >&2) | grep "first paint"
done
