#!/usr/bin/env bash
# Peak memory and time of importing a large Microsoft Project XML file, beside
# the file's size, the schedule written and the peak of reading that
# schedule back (what the schedule itself takes in memory).
#   bench/import-memory.sh BUILD_DIR [ROWS]
set -euo pipefail
kts=$1/tools/vinta-kts rows=${2:-400000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$kts" generate --rows "$rows" --seed 3 "$work/plan.kts" >/dev/null
"$kts" export "$work/plan.kts" "$work/plan.xml"
import=$(/usr/bin/time -f "%e s, peak %M KiB" "$kts" import "$work/plan.xml" "$work/back.kts" 2>&1 | tail -1)
opened=$(/usr/bin/time -f "%e s, peak %M KiB" "$kts" dump "$work/back.kts" 2>&1 >/dev/null | tail -1)
echo "rows $rows: xml $(stat -c %s "$work/plan.xml") bytes, schedule $(stat -c %s "$work/back.kts") bytes"
echo "import: $import"
echo "the schedule read back: $opened"
