# Every command of vinta-kts that writes, run again and again with one
# file-system call under its folder failing (no space, an I/O error, a short
# write) or the process killed just before it. After each run the user's
# file is the old one whole or the new one whole, a run that answers 0 has
# written the new one, a failure says so on standard error, and nothing is
# left beside the file; after a kill, the next clean run leaves nothing.
#   fault_injection.py VINTA-KTS FAULTFS.so
import errno, os, shutil, subprocess, sys, tempfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import faultcheck  # noqa: E402

kts, shim = sys.argv[1], sys.argv[2]
failures = []
runs = 0


def run(work, args, env_extra=None):
    env = dict(os.environ, LANG="C.UTF-8", TZ="UTC")
    env.update(env_extra or {})
    return subprocess.run([kts, *args], cwd=work, env=env, capture_output=True, timeout=60)


def content(path, kind):
    return faultcheck.content(kts, path, kind)


# name, inputs made by the command line, the command, its target and kind
SCENARIOS = [
    ("generate", [], ["generate", "--rows", "300", "--seed", "2", "--force", "t.kts"], "t.kts", "kts"),
    ("new", [], ["new", "--force", "t.kts"], "t.kts", "kts"),
    ("import", [("export", "in.kts", "in.xml")], ["import", "--force", "in.xml", "t.kts"], "t.kts", "kts"),
    ("export xml", [], ["export", "in.kts", "t.xml"], "t.xml", "xml"),
    ("export ics", [], ["export", "in.kts", "t.ics"], "t.ics", "ics"),
    ("export csv", [], ["export", "in.kts", "t.csv"], "t.csv", "csv"),
    ("export pdf", [], ["export", "in.kts", "t.pdf"], "t.pdf", "pdf"),
    ("export png", [], ["export", "in.kts", "t.png", "--size", "400x300"], "t.png", "png"),
]


def make_inputs(work, target, inputs):
    run(work, ["generate", "--rows", "120", "--seed", "7", "in.kts"])
    for cmd, src, dst in inputs:
        run(work, [cmd, src, dst])
    # The user's old file: a schedule for .kts, some bytes otherwise.
    if target.endswith(".kts"):
        run(work, ["generate", "--rows", "40", "--seed", "1", target])
    else:
        open(os.path.join(work, target), "wb").write(b"the user's old file")


def prepare(work, template):
    """The folder as the template has it, and nothing else."""
    for name in os.listdir(work):
        path = os.path.join(work, name)
        shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
    for name in os.listdir(template):
        shutil.copy2(os.path.join(template, name), work)
    return sorted(os.listdir(work))


def check(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}{': ' + detail if detail else ''}")


def scenario(name, inputs, args, target, kind):
    global runs
    work = tempfile.mkdtemp(prefix="vinta-faults-")
    template = tempfile.mkdtemp(prefix="vinta-faults-template-")
    try:
        make_inputs(template, target, inputs)
        files = prepare(work, template)
        old = content(os.path.join(work, target), kind)
        report = os.path.join(work, "..", os.path.basename(work) + ".count")
        r = run(work, args, {"LD_PRELOAD": shim, "FAULTFS_DIR": work, "FAULTFS_REPORT": report})
        check(f"{name}: a clean run", r.returncode == 0, r.stderr.decode(errors="replace"))
        new = content(os.path.join(work, target), kind)
        check(f"{name}: the clean run's file", new is not None)
        calls, kinds = open(report).read().split()
        os.remove(report)
        calls = int(calls)
        # Every call when there are few; else every one of the first and last
        # thirty (opening and closing), and every seventh between.
        picks = [n for n in range(1, calls + 1) if calls <= 80 or n <= 30 or n > calls - 30 or n % 7 == 0]
        # An I/O error takes the same paths as a full disk: tried on the first command only.
        modes = [("ENOSPC", {"FAULTFS_ERRNO": str(errno.ENOSPC)}), ("short", {"FAULTFS_SHORT": "1"}), ("kill", None)]
        if name == SCENARIOS[0][0]:
            modes.append(("EIO", {"FAULTFS_ERRNO": str(errno.EIO)}))
        for n in picks:
            for mode, extra in modes:
                prepare(work, template)
                env = {"LD_PRELOAD": shim, "FAULTFS_DIR": work}
                env.update({"FAULTFS_KILL": str(n)} if extra is None else dict(extra, FAULTFS_FAIL=str(n)))
                r = run(work, args, env)
                runs += 1
                got = content(os.path.join(work, target), kind)
                where = f"{name}, call {n} of {calls} ({kinds}), {mode}"
                check(f"{where}: the file is the old or the new one, whole", got in (old, new))
                if extra is None:
                    r2 = run(work, args)
                    check(f"{where}: the run after the kill", r2.returncode == 0, r2.stderr.decode(errors="replace"))
                    check(f"{where}: left behind after the next run", sorted(os.listdir(work)) == files,
                          str(sorted(set(os.listdir(work)) - set(files))))
                    continue
                if r.returncode == 0:
                    check(f"{where}: answered 0 without the new file", got == new)
                else:
                    check(f"{where}: failed without a word", r.stderr.strip() != b"")
                check(f"{where}: left behind", sorted(os.listdir(work)) == files,
                      str(sorted(set(os.listdir(work)) - set(files))))
        print(f"{name}: {calls} calls ({kinds}), {len(picks)} tried in {len(modes)} ways")
    finally:
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(template, ignore_errors=True)


for s in SCENARIOS:
    scenario(*s)
faultcheck.finish(failures, runs, "with a failing or killed call")
