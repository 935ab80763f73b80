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


root = ET.parse(sys.argv[2]).getroot()
planner = []
walk(root.find("tasks"), 0, planner)
check("planner's task count", len(planner), len(rows))
for (task, depth), cells in zip(planner, rows):
    name = cells[2]
    check(f"{name}: name", task.get("name"), name)
    check(f"{name}: level", depth, int(cells[6]))
    check(f"{name}: progress", int(task.get("percent-complete")), int(cells[3]))
    if cells[7] != "2" and cells[4].strip():
        check(f"{name}: start", task.get("start")[:8], day(cells[4]).strftime("%Y%m%d"))
        check(f"{name}: end", task.get("end")[:8], day(cells[5]).strftime("%Y%m%d"))
        # Planner schedules a task without links from the project's start
        # unless it is held to its own: every dated row but a summary is.
        constraint = task.find("constraint")
        if task.find("task") is None:
            check(f"{name}: constraint", constraint is not None and constraint.get("type"), "start-no-earlier-than")
            if constraint is not None:
                check(f"{name}: constraint's day", constraint.get("time")[:8], day(cells[4]).strftime("%Y%m%d"))
        else:
            check(f"{name}: a summary's constraint", constraint, None)
    check(f"{name}: scheduling", task.get("scheduling"), "fixed-duration")

# Links as Planner's importer takes them: each task's predecessors by the
# other task's id, the kind, and the lag in seconds (eight hours a day).
place = {int(c[0]): i for i, c in enumerate(rows)}
want_links = sorted((place[f] + 1, place[t] + 1, kind, lag * 8 * 3600) for f, t, kind, lag in dump.get("links", []))
got_links = []
for task, _ in planner:
    for p in task.findall("predecessors/predecessor"):
        got_links.append((int(p.get("predecessor-id")), int(task.get("id")), p.get("type"), int(float(p.get("lag")))))
check("links read by planner", len(want_links) > 50, True)
check("planner's predecessors", sorted(got_links), want_links)

# Each allocation is one person at 100 %, and a task's work is its people's.
allocations = root.find("allocations").findall("allocation")
check("allocations read", len(allocations) > 50, True)
check("allocations with units", sorted({a.get("units") for a in allocations}), ["100"])
working = {t.get("id"): int(t.get("work") or 0) for t, _ in planner}
people = {}
for a in allocations:
    people[a.get("task-id")] = people.get(a.get("task-id"), 0) + 1
for (task, depth) in planner:
    if task.find("task") is None and task.get("id") not in people:
        check(f"{task.get('name')}: work without people", working[task.get("id")], 0)
check("tasks with people have work", all(working[t] > 0 for t in people), True)

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
# A to-do's parent is its RELATED-TO without a RELTYPE; its links (RFC 9253)
# carry one, on the successor, naming the predecessor, with the lag as a GAP.
kinds = {"FINISHTOSTART": "FS", "STARTTOSTART": "SS", "FINISHTOFINISH": "FF", "STARTTOFINISH": "SF"}
todo_place = {str(t["UID"]): i for i, t in enumerate(todos)}
dated_place = {int(c[0]): i for i, c in enumerate(dated)}
ics_links = []
for todo in todos:
    related = todo.get("RELATED-TO", [])
    for r in related if isinstance(related, list) else [related]:
        reltype = r.params.get("RELTYPE", "PARENT")
        if reltype == "PARENT":
            check(f"{todo['SUMMARY']}: parent's level", uids.get(str(r), -9) < uids[str(todo["UID"])], True)
            continue
        gap = r.params.get("GAP")
        days = icalendar.vDuration.from_ical(gap).days if gap else 0
        ics_links.append((todo_place[str(r)], todo_place[str(todo["UID"])], kinds[reltype], days))
check("to-dos' links", sorted(ics_links),
      sorted((dated_place[f], dated_place[t], k, lag) for f, t, k, lag in dump.get("links", [])))



def links_by_place(path):
    """A dump's links as (predecessor's place, successor's place, kind, lag), places among its rows."""
    d = json.load(open(path, encoding="utf-8"))
    cells = [r["cells"] for r in next(t for t in d["tables"] if t["slot"] == 1)["rows"]]
    places = {int(c[0]): i for i, c in enumerate(c for c in cells if c[7].strip() in ("0", "1", "2"))}
    return sorted((places[f], places[t], k, lag) for f, t, k, lag in d.get("links", []))


def outline(path):
    """Tasks as (name, level, progress, start, end, people) and the people per task, from a dump."""
    cells = [r["cells"] for r in next(t for t in json.load(open(path, encoding="utf-8"))["tables"] if t["slot"] == 1)["rows"]]
    out = []
    for c in cells:
        if c[7].strip() in ("0", "1", "2"):
            out.append([c[2], int(c[6]), int(c[3]), c[4], c[5], 0, c[7]])
        elif c[7].strip() == "3" and out:
            out[-1][5] += 1
    return out


# Planner's file (made by its own importer) read back: every row as it was,
# its people with it; a comment comes back as a task on the project's start.
back = outline(sys.argv[4])
want = outline(sys.argv[1])
check("rows read back from planner", len(back), len(want))
for got, row in zip(back, want):
    same = got[:3] + got[5:6] if row[6] == "2" else got[:6]
    check(f"{row[0]}: back from planner", same, row[:3] + row[5:6] if row[6] == "2" else row[:6])

check("links back from planner", links_by_place(sys.argv[4]), links_by_place(sys.argv[1]))

# The to-dos read back: every task and project with its level among them
# (comments are no to-dos), dates and progress.
undone = []
above = []  # (level in the schedule, level among to-dos)
for row in want:
    while above and above[-1][0] >= row[1]:
        above.pop()
    if row[6] == "2":
        continue
    undone.append([row[0], len(above), row[2], row[3], row[4]])
    above.append((row[1], len(above)))
back = [r[:5] for r in outline(sys.argv[5])]
check("rows read back from iCalendar", len(back), len(undone))
for got, row in zip(back, undone):
    check(f"{row[0]}: back from iCalendar", got, row)

if failures:
    sys.exit("\n".join(failures[:20]))
print(f"planner read {len(planner)} tasks, icalendar {len(todos)} to-dos, as the schedule has them")
