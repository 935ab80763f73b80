#!/usr/bin/env bash
# The real program, killed with unsaved work and started again: Yes brings the
# work back (saved, it equals what was on screen), No drops it. Runs under its
# own X server and types with xdotool.
# usage: recovery-e2e.sh VINTA VINTA_KTS
set -euo pipefail
vinta=$1 kts=$2
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$vinta" "$work/vinta"  # its VINTA.ini lives beside it
export XDG_STATE_HOME=$work/state VINTA_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -m 700 "$VINTA_RUNTIME_DIR"
"$kts" new "$work/plan.kts"
printf '[OPT]\nFileName=%s\n[ENV]\nX=0\nY=0\nW=800\nH=500\n' "$work/plan.kts" >"$work/VINTA.ini"
copies=$XDG_STATE_HOME/Vinta/recovery

# A failure leaves a picture of the screen when E2E_SHOT names a file.
fail() {
  echo "recovery-e2e: $*" >&2
  [ -z "${E2E_SHOT:-}" ] || import -window root "$E2E_SHOT" || true
  exit 1
}
# Polls a condition for at most 45 seconds: a loaded machine starts a program slowly.
until_true() { for _ in $(seq 450); do eval "$1" && return 0; sleep 0.1; done; fail "timed out: $1"; }
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
# No window manager hands out focus, so the test does.
press() { xdotool windowfocus --sync "$(window "Vinta - ")" key "$@"; }
# Gone or a zombie: kill -0 still succeeds on a zombie until it is waited for.
exited() { ! ps -o stat= -p "$pid" | grep -qv Z; }
dump() { "$kts" dump "$1" | md5sum; }

start() { "$work/vinta" & pid=$!; }
edit() {
  until_true '[ -n "$(window "Vinta - ")" ]'
  xdotool mousemove 120 160 click 1
  press shift+Insert shift+Insert shift+Insert
}
crash() {
  until_true 'ls "$copies"/*.kts >/dev/null 2>&1'
  sleep 0.5  # the copy's note is written right after it
  cp "$(ls "$copies"/*.kts | head -1)" "$work/on-screen.kts"
  kill -9 "$pid"; wait "$pid" 2>/dev/null || true
}

# Yes: the work comes back, and Save writes it to the schedule's own file.
fresh=$(dump "$work/plan.kts")
start; edit; crash
[ "$(dump "$work/on-screen.kts")" != "$fresh" ] || fail "the edit did not reach the copy"
start
until_true '[ -n "$(window "復元")" ]'
xdotool key Return
until_true '[ -n "$(window "Vinta - ")" ]'
press ctrl+s
until_true '[ "$(dump "$work/plan.kts")" = "$(dump "$work/on-screen.kts")" ]'
saved=$(md5sum <"$work/plan.kts")
press ctrl+q
until_true exited
wait "$pid" || fail "the program ended with status $?"
ls "$copies"/*.kts >/dev/null 2>&1 && fail "a clean exit left a copy"

# Escape: the copy stays for the next start, through a clean exit.
start; edit; crash
start
until_true '[ -n "$(window "復元")" ]'
xdotool key Escape
until_true '[ -n "$(window "Vinta - ")" ]'
press ctrl+q
until_true exited
wait "$pid" || fail "the program ended with status $?"
ls "$copies"/*.kts >/dev/null 2>&1 || fail "Escape dropped the copy"

# No: the copy goes, the file stays as saved.
start
until_true '[ -n "$(window "復元")" ]'
xdotool key alt+n
until_true '[ -n "$(window "Vinta - ")" ]'
ls "$copies"/*.kts >/dev/null 2>&1 && fail "No kept the copy"
[ "$(md5sum <"$work/plan.kts")" = "$saved" ] || fail "No changed the file"
echo "recovery-e2e: passed"
