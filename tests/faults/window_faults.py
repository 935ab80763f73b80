# The window's operations that write (save, Save As, a PDF export, the
# settings at close, the recovery copy), each run with one file-system call in its folder
# failing (no space) or the process killed just before it: the file is the
# old or the new one and whole, what the window told is true, and nothing is
# left beside it once the window is closed or, after a kill, once it has
# worked again.
#   window_faults.py APP_TESTS VINTA-KTS FAULTFS.so
import os, shutil, subprocess, sys, tempfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import faultcheck  # noqa: E402

tests, kts, shim = sys.argv[1:4]
failures = []
runs = 0


def content(path, kind):
    return faultcheck.content(kts, path, kind)


# case, target file, its kind, whether an old file stands there first
CASES = [("Save", "plan.kts", "kts", True), ("SaveAs", "other.kts", "kts", False),
         ("ExportPdf", "out.pdf", "pdf", True), ("Settings", "VINTA.ini", "ini", True)]


def run(work, case, settings, extra):
    outcome = os.path.join(os.path.dirname(work), os.path.basename(work) + ".outcome")
    if os.path.exists(outcome):
        os.remove(outcome)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", FAULTFS_WORK=work, FAULTFS_OUTCOME=outcome,
               FAULTFS_SETTINGS=settings, LD_PRELOAD=shim, FAULTFS_DIR=work)
    env.update(extra)
    r = subprocess.run([tests, f"--gtest_filter=FaultTarget.{case}"], env=env, capture_output=True, timeout=120)
    said = open(outcome).read() if os.path.exists(outcome) else None
    return r, said


def prepare(work, template):
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(template, work)
    return sorted(os.listdir(work))


def case_run(case, target, kind, has_old):
    global runs
    base = tempfile.mkdtemp(prefix="vinta-window-faults-")
    template, work, settings = (os.path.join(base, n) for n in ("template", "work", "settings.ini"))
    try:
        os.mkdir(template)
        subprocess.run([kts, "generate", "--rows", "60", "--seed", "3", os.path.join(template, "plan.kts")], check=True)
        if has_old and kind != "kts":
            open(os.path.join(template, target), "wb").write(b"[OPT]\nthe user's old file\n")
        files = prepare(work, template)
        old = content(os.path.join(work, target), kind)
        report = os.path.join(base, "count")
        r, said = run(work, case, settings, {"FAULTFS_REPORT": report})
        new = content(os.path.join(work, target), kind)
        if said != "ok" or new is None:
            failures.append(f"{case}: the clean run ({said}): {r.stdout[-400:]!r}")
            return
        calls, kinds = open(report).read().split()
        calls = int(calls)
        if kind != "ini":
            files = sorted(set(files) | {target})
        for n in range(1, calls + 1):
            for mode, extra in (("ENOSPC", {"FAULTFS_FAIL": str(n)}), ("kill", {"FAULTFS_KILL": str(n)})):
                before = prepare(work, template)
                r, said = run(work, case, settings, extra)
                runs += 1
                got = content(os.path.join(work, target), kind)
                where = f"{case}, call {n} of {calls} ({kinds}), {mode}"
                if got not in (old, new):
                    failures.append(f"{where}: the file is neither the old nor the new one, whole")
                if mode == "kill":
                    r, said = run(work, case, settings, {})
                    if said != "ok":
                        failures.append(f"{where}: the run after the kill did not work")
                    left = sorted(os.listdir(work))
                    if left != files:
                        failures.append(f"{where}: left behind after the next run: {sorted(set(left) - set(files))}")
                    continue
                if said == "ok" and got != new:
                    failures.append(f"{where}: told it worked without the new file")
                # A lock whose own removal failed stays: stale, it is taken
                # over unasked by the next open. Nothing else may stay.
                left = sorted(n for n in os.listdir(work) if not (n.startswith(".~lock.") and n.endswith("#")))
                if left not in (before, files):
                    failures.append(f"{where}: left behind: {sorted(set(left) - set(files))}")
        print(f"{case}: {calls} calls ({kinds}), each failed and killed")
    finally:
        shutil.rmtree(base, ignore_errors=True)


def recovery_run():
    """The recovery copy, each call in the recovery folder failed or killed:
    the next start offers the changed work whole or nothing, never other
    work, and a copy said written is offered; once offered and dropped,
    nothing of it stays in the folder."""
    global runs
    base = tempfile.mkdtemp(prefix="vinta-window-faults-")
    template, work, settings = (os.path.join(base, n) for n in ("template", "work", "settings.ini"))
    state = os.path.join(work, "state")
    folder = os.path.join(state, "Vinta", "recovery")
    try:
        os.mkdir(template)
        subprocess.run([kts, "generate", "--rows", "60", "--seed", "3", os.path.join(template, "plan.kts")], check=True)
        prepare(work, template)
        os.makedirs(folder)
        moved = {"FAULTFS_STATE": state, "FAULTFS_DIR": folder}
        report = os.path.join(base, "count")
        r, said = run(work, "RecoveryCopy", settings, dict(moved, FAULTFS_REPORT=report))
        back = run(work, "Recover", settings, moved)[1]
        if said != "ok" or back != "restored":
            failures.append(f"recovery copy: the clean run ({said}, {back}): {r.stdout[-400:]!r}")
            return
        calls, kinds = open(report).read().split()
        for n in range(1, int(calls) + 1):
            for mode, extra in (("ENOSPC", {"FAULTFS_FAIL": str(n)}), ("kill", {"FAULTFS_KILL": str(n)})):
                prepare(work, template)
                os.makedirs(folder)
                said = run(work, "RecoveryCopy", settings, dict(moved, **extra))[1]
                back = run(work, "Recover", settings, moved)[1]
                runs += 1
                where = f"recovery copy, call {n} of {calls} ({kinds}), {mode}"
                if back not in ("restored", "none"):
                    failures.append(f"{where}: the next start offered {back} work")
                if said == "ok" and back != "restored":
                    failures.append(f"{where}: told written, not offered at the next start")
                left = [f for f in os.listdir(folder)]
                if left:
                    failures.append(f"{where}: left in the recovery folder: {sorted(left)}")
        print(f"recovery copy: {calls} calls ({kinds}), each failed and killed")
    finally:
        shutil.rmtree(base, ignore_errors=True)


for c in CASES:
    case_run(*c)
recovery_run()
faultcheck.finish(failures, runs, "of the window with a failing or killed call")
