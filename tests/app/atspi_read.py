# Reads the running program's window through AT-SPI, as a screen reader
# does, and checks what it finds against the schedule's own dump.
#   atspi_read.py DUMP.json   (while the program runs)
import json, sys, time

import pyatspi

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def find(node, pred, depth=0):
    if node is None or depth > 40:
        return None
    try:
        if pred(node):
            return node
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i), pred, depth + 1)
            if found:
                return found
    except Exception:
        pass
    return None


def application(deadline):
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "Vinta":
                table = find(app, lambda n: n.getRoleName() == "table" and n.name == "アウトライン")
                if table is not None:
                    return app, table
        time.sleep(0.2)
    sys.exit("the program's outline table never appeared on the accessibility bus")


dump = json.load(open(sys.argv[1], encoding="utf-8"))
outline = next(t for t in dump["tables"] if t["slot"] == 1)["rows"]
shown = [r for r in outline if r["height"] > 0]

app, table = application(time.time() + 30)
t = table.queryTable()
check("outline rows", t.nRows, len(shown))
check("outline columns", t.nColumns, 6)
check("name column", t.getColumnDescription(2), "名　　前")
check("first row's number", t.getAccessibleAt(0, 0).name, "1")
first_name = shown[0]["cells"][2]
check("first row's name", t.getAccessibleAt(0, 2).name.split("、")[0], first_name)

chart = find(app, lambda n: n.getRoleName() == "table" and n.name == "チャート").queryTable()
check("chart rows", chart.nRows, len(shown))
start, end, progress = shown[0]["cells"][4], shown[0]["cells"][5], shown[0]["cells"][3]
check("first bar", chart.getRowDescription(0), f"{start} から {end}、進捗 {int(progress)}%")

buttons = []
find(app, lambda n: n.getRoleName() == "push button" and buttons.append(n.name) and False)
nameless = [b for b in buttons if not b]
check("buttons without a name", len(nameless), 0)
if len(buttons) < 15:
    failures.append(f"only {len(buttons)} buttons found")

# The current cell (the first row's picture column) is the selected one.
check("current cell selected", t.getAccessibleAt(0, 1).getState().contains(pyatspi.STATE_SELECTED), True)
check("other cells not selected", t.getAccessibleAt(1, 1).getState().contains(pyatspi.STATE_SELECTED), False)

# Arrow keys, sent as a screen reader's user types them, move the current
# cell: one row down, one column right, to the second row's name.
DOWN, RIGHT = 0xFF54, 0xFF53  # X key symbols
for key in (DOWN, RIGHT):
    pyatspi.Registry.generateKeyboardEvent(key, None, pyatspi.KEY_SYM)
deadline = time.time() + 10
while time.time() < deadline and not t.getAccessibleAt(1, 2).getState().contains(pyatspi.STATE_SELECTED):
    time.sleep(0.1)
moved = t.getAccessibleAt(1, 2)
check("current cell after Down, Right", moved.getState().contains(pyatspi.STATE_SELECTED), True)
check("its text", moved.name.split("、")[0], shown[1]["cells"][2])

if failures:
    sys.exit("\n".join(failures))
print("accessibility tree as expected")
