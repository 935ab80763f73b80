#!/usr/bin/env bash
# Runs a command on an X server of its own. Xvfb picks a free display itself
# (-displayfd), so tests started side by side never land on one display, as
# two `xvfb-run -a` started at the same moment can; and nothing waits a
# fixed time for the server: the number comes when it is ready.
#   own-display.sh [XVFB-ARGS...] -- COMMAND [ARGS...]
set -euo pipefail
args=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do args+=("$1"); shift; done
shift
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -nolisten tcp "${args[@]}" 3>"$fifo" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -f "$fifo"' EXIT
n=
read -r -t 60 n <"$fifo" || true
[ -n "$n" ] || { echo "own-display: the X server did not start" >&2; exit 1; }
export DISPLAY=:$n
"$@"
