#!/usr/bin/env bash
# vinta-kts's MSPDI and iCalendar read by other programs' readers, and what
# those readers made of them read back by vinta-kts.
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
"$kts" generate --rows 300 --seed 9 --links 90 "$work/plan.kts" >/dev/null
"$kts" dump "$work/plan.kts" >"$work/plan.json"
"$kts" export "$work/plan.kts" "$work/plan.xml"
"$kts" export "$work/plan.kts" "$work/plan.ics"
xsltproc "$xsl" "$work/plan.xml" >"$work/planner.xml"
# And back: the file Planner's importer made, and the to-dos, read as schedules.
cp "$work/planner.xml" "$work/plan.planner"
"$kts" import "$work/plan.planner" "$work/from-planner.kts" 2>"$work/planner.said"
"$kts" import "$work/plan.ics" "$work/from-ics.kts" 2>"$work/ics.said"
"$kts" dump "$work/from-planner.kts" >"$work/from-planner.json"
"$kts" dump "$work/from-ics.kts" >"$work/from-ics.json"
/usr/bin/python3 "$here/exchange_check.py" "$work/plan.json" "$work/planner.xml" "$work/plan.ics" \
    "$work/from-planner.json" "$work/from-ics.json"
echo "planner import said: $(cat "$work/planner.said")"
echo "iCalendar import said: $(cat "$work/ics.said")"
