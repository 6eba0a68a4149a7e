# SPDX-License-Identifier: GPL-3.0-or-later
"""`rlc-meter stats` and `export` on journal files of every kind: the figures
and the workbook of known journals, memory that does not grow with the rows,
files that are no journal, inputs and targets that are no
regular file.

usage: journal_files_test.py RLC_METER WORK_DIR SOURCE_DIR
"""
import datetime
import json
import os
import random
import stat
import subprocess
import sys

import openpyxl


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def run(argv, timeout=600):
    """Exit status, stdout, stderr and peak memory (MB) of a run."""
    with open(os.devnull, "rb") as null:
        proc = subprocess.Popen(argv, stdin=null, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = proc.communicate(timeout=timeout)
    return proc.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace"), 0


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


def peak_mb(argv):
    """Exit status and peak resident memory (MB) of a run. The sanitizers keep
    freed memory in quarantine, which would grow with the rows read: it is
    kept small here."""
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "quarantine_size_mb=1"]))
    out = subprocess.run([sys.executable, "-c", PEAK, *argv], env=env, capture_output=True,
                         text=True, check=True).stdout.split()
    return int(out[0]), float(out[1])


def memory_by_rows(tool, work, source):
    """Memory does not grow with the journal: ten times the rows cost next to
    nothing more for stats and export (held in memory, 90 000 rows more took
    over 200 MB), and stay far below a fixed limit."""
    peaks = {}
    for rows in (10000, 100000):
        journal = os.path.join(work, f"rows_{rows}.csv")
        subprocess.run([sys.executable, os.path.join(source, "bench", "make_inputs.py"), "journal",
                        str(rows), journal], check=True)
        book = os.path.join(work, f"rows_{rows}.xlsx")
        for command, argv in (("stats", [tool, "stats", journal]),
                              ("export", [tool, "export", journal, book, "--decimal", ","])):
            code, peak = peak_mb(argv)
            check(code == 0, f"{command} on {rows} rows: exit {code}")
            check(peak < 300, f"{command} on {rows} rows: peak memory {peak:.0f} MB")
            peaks[(command, rows)] = peak
        check(os.path.getsize(book) > rows * 10, f"workbook of {rows} rows written")
        os.remove(journal)
        os.remove(book)
    for command in ("stats", "export"):
        growth = peaks[(command, 100000)] - peaks[(command, 10000)]
        check(growth < 40, f"{command}: 90 000 more rows took {growth:.0f} MB more")


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
    memory_by_rows(tool, work, source)


if __name__ == "__main__":
    main()
