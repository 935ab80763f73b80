#!/usr/bin/env bash
# vinta-kts's MSPDI and iCalendar read by other programs' readers.
#   exchange-check.sh VINTA-KTS TESTS-DIR
set -euo pipefail
kts=$1 here=$2
xsl=/usr/share/planner/stylesheets/msp2planner.xsl
if ! [ -r "$xsl" ] || ! command -v xsltproc >/dev/null; then
    echo "no planner-data or xsltproc: nothing to read the file with" >&2
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$kts" generate --rows 300 --seed 9 "$work/plan.kts" >/dev/null
"$kts" dump "$work/plan.kts" >"$work/plan.json"
"$kts" export "$work/plan.kts" "$work/plan.xml"
"$kts" export "$work/plan.kts" "$work/plan.ics"
xsltproc "$xsl" "$work/plan.xml" >"$work/planner.xml"
/usr/bin/python3 "$here/exchange_check.py" "$work/plan.json" "$work/planner.xml" "$work/plan.ics"
