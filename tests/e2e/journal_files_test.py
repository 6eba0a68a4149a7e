"""`rlc-meter stats` and `export` on journal files of every kind: the figures
and the workbook of known journals, a journal of a million rows within a
memory limit, files that are no journal, inputs and targets that are no
regular file.

usage: journal_files_test.py RLC_METER WORK_DIR SOURCE_DIR
"""
import datetime
import json
import os
import random
import resource
import stat
import subprocess
import sys

import openpyxl


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def run(argv, limit_mb=None, timeout=600):
    """Exit status, stdout, stderr and peak memory (MB) of a run."""
    with open(os.devnull, "rb") as null:
        proc = subprocess.Popen(argv, stdin=null, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = proc.communicate(timeout=timeout)
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
    return proc.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace"), peak


def sheet_cells(path):
    def text(v):
        if isinstance(v, datetime.datetime):
            return v.isoformat()
        return v
    ws = openpyxl.load_workbook(path).worksheets[0]
    return [[text(c.value) for c in row] for row in ws.iter_rows()]


def known_journals(tool, work, source):
    """The figures and the first sheet of each known journal, as they were
    before the journal was read row by row."""
    with open(os.path.join(source, "tests", "e2e", "journals", "expected.json"), encoding="utf-8") as f:
        expected = json.load(f)
    for name, want in expected.items():
        folder = "journals" if name.endswith(".csv") else os.path.join("..", "fuzz", "corpus", "journal")
        path = os.path.join(source, "tests", "e2e", folder, name)
        code, out, err, _ = run([tool, "stats", "--format", "json", path])
        check(code == want["stats_status"], f"{name}: stats exit {code}, expected {want['stats_status']}: {err}")
        check(json.loads(out) == want["stats"], f"{name}: figures differ:\n{out}\n{want['stats']}")
        book = os.path.join(work, "known.xlsx")
        code, _, err, _ = run([tool, "export", path, book, "--decimal", ","])
        check(code == want["export_status"], f"{name}: export exit {code}: {err}")
        got = sheet_cells(book)
        check(got == want["sheet"], f"{name}: first sheet differs:\n{got}\n{want['sheet']}")


def million_rows(tool, work, source):
    """A million rows pass through stats and export within a limit far below
    what holding them would take (over 2 GB)."""
    journal = os.path.join(work, "million.csv")
    subprocess.run([sys.executable, os.path.join(source, "bench", "make_inputs.py"), "journal",
                    "1000000", journal], check=True)
    limit_mb = 400  # wide: the sanitizers' own memory is in it
    for argv in ([tool, "stats", journal], [tool, "export", journal,
                                           os.path.join(work, "million.xlsx"), "--decimal", ","]):
        _, out, _, _ = run([sys.executable, "-c", PEAK, *argv])
        code, peak = out.split()
        check(code == "0", f"{argv[1]} on a million rows: exit {code}")
        peak = float(peak)
        check(peak < limit_mb, f"{argv[1]}: peak memory {peak:.0f} MB over {limit_mb} MB")
    check(os.path.getsize(os.path.join(work, "million.xlsx")) > 1000000, "workbook written")
    os.remove(journal)
    os.remove(os.path.join(work, "million.xlsx"))


# Runs argv and prints its peak resident memory in MB.
PEAK = """
import os, subprocess, sys
p = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
_, status, usage = os.wait4(p.pid, 0)
print(os.waitstatus_to_exitcode(status), usage.ru_maxrss / 1024)
"""


def no_journal(tool, work):
    """What is no journal says so, writes nothing and exits with 1."""
    rnd = random.Random(7)
    cases = {
        "empty": b"",
        "no line break": b"x" * (3 << 20),
        "random bytes": bytes(rnd.randrange(256) for _ in range(100000)),
        "header lacks columns": b"time;mode;position\r\n1;2;3\r\n",
    }
    for name, data in cases.items():
        path = os.path.join(work, "nothing.csv")
        with open(path, "wb") as f:
            f.write(data)
        code, out, err, _ = run([tool, "stats", path])
        check(code == 1 and out == "" and err.strip(), f"stats, {name}: {code} {out!r} {err!r}")
        book = os.path.join(work, "nothing.xlsx")
        code, out, err, _ = run([tool, "export", path, book])
        check(code == 1 and err.strip(), f"export, {name}: {code} {err!r}")
        check(not os.path.exists(book) and not os.path.exists(book + ".part"),
              f"export, {name}: a workbook was written")


def not_a_file(tool, work, journal):
    """A folder, a FIFO or a device as input: one line, exit status 2, at once."""
    fifo = os.path.join(work, "input.fifo")
    if not os.path.exists(fifo):
        os.mkfifo(fifo)
    for path in (work, fifo, "/dev/null"):
        for argv in ([tool, "stats", path], [tool, "export", path, os.path.join(work, "x.xlsx")],
                     [tool, "profile", path]):
            code, out, err, _ = run(argv, timeout=20)
            check(code == 2, f"{argv[1]} {path}: exit {code}: {err!r}")
            check(len(err.strip().splitlines()) == 1, f"{argv[1]} {path}: {err!r}")


def targets(tool, work, journal):
    """The export never replaces what is not a regular file, writes through a
    symbolic link, clears a part file of its own and names the library's
    reason in one line of its own."""
    folder = os.path.join(work, "target_folder")
    os.makedirs(folder, exist_ok=True)
    fifo = os.path.join(work, "target.fifo")
    if not os.path.exists(fifo):
        os.mkfifo(fifo)
    to_fifo = os.path.join(work, "to_fifo.xlsx")
    if not os.path.lexists(to_fifo):
        os.symlink(fifo, to_fifo)
    for target in (folder, fifo, to_fifo):
        code, _, err, _ = run([tool, "export", journal, target], timeout=20)
        check(code == 1 and len(err.strip().splitlines()) == 1, f"{target}: {code} {err!r}")
    check(os.path.isdir(folder) and stat.S_ISFIFO(os.stat(fifo).st_mode), "left as they were")
    check(os.path.islink(to_fifo), "the link to a FIFO is still a link")

    real = os.path.join(work, "real.xlsx")
    link = os.path.join(work, "link.xlsx")
    for p in (real, link):
        if os.path.lexists(p):
            os.remove(p)
    os.symlink("real.xlsx", link)  # relative, and dangling at first
    for _ in range(2):
        code, _, err, _ = run([tool, "export", journal, link])
        check(code == 0, f"export through a link: {err}")
        check(os.path.islink(link) and os.path.isfile(real), "the link stays, its file is written")
    check(not os.path.exists(real + ".part"), "no part file left")

    out = os.path.join(work, "stale.xlsx")
    with open(out + ".part", "wb") as f:
        f.write(b"PK\x03\x04 cut short by a kill")
    code, _, err, _ = run([tool, "export", journal, out])
    check(code == 0 and not os.path.exists(out + ".part"), f"a stale part of ours goes: {err}")
    with open(out + ".part", "wb") as f:
        f.write(b"someone's notes")
    code, _, err, _ = run([tool, "export", journal, out])
    check(code == 1 and open(out + ".part", "rb").read() == b"someone's notes",
          f"a part file not of ours is kept: {err}")
    os.remove(out + ".part")

    code, _, err, _ = run([tool, "export", journal, os.path.join(work, "no", "such", "x.xlsx")])
    check(code == 1, "unwritable target")
    check("[ERROR]" not in err and len(err.strip().splitlines()) == 1, f"one line of ours: {err!r}")


def main():
    tool, work, source = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    journal = os.path.join(source, "tests", "e2e", "journals", "multi.csv")
    known_journals(tool, work, source)
    no_journal(tool, work)
    not_a_file(tool, work, journal)
    targets(tool, work, journal)
    million_rows(tool, work, source)


if __name__ == "__main__":
    main()
