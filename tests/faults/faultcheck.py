# What the fault-injection runs compare: a file's content as far as it
# matters, or None when it is missing or not whole.
import os
import subprocess


def dump(kts, path):
    r = subprocess.run([kts, "dump", path], capture_output=True)
    if r.returncode:
        return None
    # A schedule's identity is made anew by each import or save: not its content.
    return b"\n".join(l for l in r.stdout.split(b"\n") if b'"id=' not in l)


def content(kts, path, kind):
    if not os.path.isfile(path):
        return None
    data = open(path, "rb").read()
    if kind == "kts":
        return dump(kts, path)
    if kind == "ics":
        return b"\n".join(l for l in data.split(b"\n") if not l.startswith(b"DTSTAMP:"))
    if kind == "pdf":
        return b"pdf" if data.startswith(b"%PDF") and data.rstrip().endswith(b"%%EOF") else None
    if kind == "png":
        return b"png" if data.startswith(b"\x89PNG") and data.endswith(b"IEND\xaeB`\x82") else None
    return data


def finish(failures, runs, said):
    """Exits with the first failures, or says what held."""
    if failures:
        raise SystemExit("\n".join(failures[:40]) + f"\n{len(failures)} failures in {runs} runs")
    print(f"{runs} runs {said}: every file old or new and whole, every failure said")
