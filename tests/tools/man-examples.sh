#!/usr/bin/env bash
# Every manual page's examples, run as written, one line at a time, in a
# folder of their own with the built commands first on the PATH. A line that
# starts a listener in the background is followed by waiting until its port
# is bound; what the examples leave is checked where a page says what it does.
#   man-examples.sh MAN-DIR BIN-DIR...
set -uo pipefail
man=$1; shift
path=$(IFS=:; echo "$*")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail=0
# Bound when /proc/net/udp lists the port, local address any or loopback.
bound() { grep -qi ":$(printf '%04X' "$1") 00000000:0000" /proc/net/udp; }

for page in "$man"/*.1; do
  examples=$(sed -n '/^\.EX/,/^\.EE/{/^\.E[XE]/d;p}' "$page")
  [ -n "$examples" ] || { echo "man-examples: $(basename "$page") has no examples" >&2; fail=1; continue; }
  mkdir -p "$work/$(basename "$page")" && cd "$work/$(basename "$page")" || exit 1
  while IFS= read -r line; do
    if [[ $line == *"&" ]]; then
      PATH=$path:$PATH eval "$line"
      port=$(grep -oE '[0-9]{4,5}' <<<"$line" | head -1)
      for _ in $(seq 100); do bound "$port" && break; sleep 0.05; done
      bound "$port" || { echo "man-examples: nothing listens after: $line" >&2; fail=1; }
    elif ! PATH=$path:$PATH eval "$line" >/dev/null; then
      echo "man-examples: $(basename "$page"): fails as written: $line" >&2
      fail=1
    fi
  done <<<"$examples"
done

# What the vinta-lan examples say arrives, arrives.
lan=$work/vinta-lan.1
for _ in $(seq 100); do [ "$(wc -l <"$lan/received.txt")" -ge 2001 ] && break; sleep 0.05; done
[ "$(head -1 "$lan/received.txt")" = hello ] || { echo "man-examples: the short text did not arrive" >&2; fail=1; }
cmp -s <(tail -n +2 "$lan/received.txt") <(cat "$lan/long.txt"; echo) ||
  { echo "man-examples: the long text did not arrive whole" >&2; fail=1; }
[ "$fail" -eq 0 ] && echo "man-examples: passed"
exit "$fail"
