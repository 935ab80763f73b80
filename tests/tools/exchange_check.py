# Reads what vinta-kts exported with other programs' readers: the MSPDI file
# through GNOME Planner's own importer (msp2planner.xsl, run by xsltproc) and
# the iCalendar file through python3-icalendar, against the schedule's dump.
#   exchange_check.py DUMP.json PLANNER.xml OUT.ics
import datetime, json, sys
import xml.etree.ElementTree as ET

import icalendar

dump = json.load(open(sys.argv[1], encoding="utf-8"))
rows = [r["cells"] for r in next(t for t in dump["tables"] if t["slot"] == 1)["rows"]]
rows = [c for c in rows if c[7].strip() in ("0", "1", "2")]  # tasks, projects, comments
failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def day(text):
    return datetime.date(*map(int, text.split("/")))


# Planner's tasks, depth first, with their depth.
def walk(node, depth, out):
    for t in node.findall("task"):
        out.append((t, depth))
        walk(t, depth + 1, out)


planner = []
walk(ET.parse(sys.argv[2]).getroot().find("tasks"), 0, planner)
check("planner's task count", len(planner), len(rows))
for (task, depth), cells in zip(planner, rows):
    name = cells[2]
    check(f"{name}: name", task.get("name"), name)
    check(f"{name}: level", depth, int(cells[6]))
    check(f"{name}: progress", int(task.get("percent-complete")), int(cells[3]))
    if cells[7] != "2" and cells[4].strip():
        check(f"{name}: start", task.get("start")[:8], day(cells[4]).strftime("%Y%m%d"))
        check(f"{name}: end", task.get("end")[:8], day(cells[5]).strftime("%Y%m%d"))

todos = [c for c in icalendar.Calendar.from_ical(open(sys.argv[3], "rb").read()).walk("VTODO")]
dated = [c for c in rows if c[7] != "2"]
check("to-do count", len(todos), len(dated))
uids = {}
for todo, cells in zip(todos, dated):
    name = cells[2]
    check(f"{name}: summary", str(todo["SUMMARY"]), name)
    check(f"{name}: percent", int(todo["PERCENT-COMPLETE"]), int(cells[3]))
    if cells[4].strip():
        check(f"{name}: start", todo["DTSTART"].dt, day(cells[4]))
        check(f"{name}: due", todo["DUE"].dt - datetime.timedelta(days=1), day(cells[5]))
    uids[str(todo["UID"])] = int(cells[6])
for todo in todos:
    if "RELATED-TO" in todo:
        check(f"{todo['SUMMARY']}: parent's level", uids.get(str(todo["RELATED-TO"]), -9) < uids[str(todo["UID"])], True)

if failures:
    sys.exit("\n".join(failures[:20]))
print(f"planner read {len(planner)} tasks, icalendar {len(todos)} to-dos, as the schedule has them")
