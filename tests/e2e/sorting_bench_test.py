# SPDX-License-Identifier: GPL-3.0-or-later
"""The sorting bench on the command line: `log --demo --bins` fills the
journal's bin column, `stats --bins` counts the bins of that journal, `decode
--bins` sorts the same frames, `match` groups a journal's parts.

usage: sorting_bench_test.py RLC_METER WORK_DIR
"""
import csv
import json
import os
import shutil
import subprocess
import sys


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def run(argv, stdin=None):
    proc = subprocess.run(argv, input=stdin, capture_output=True, timeout=120)
    return proc.returncode, proc.stdout.decode("utf-8"), proc.stderr.decode("utf-8")


def rows_of(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        return list(csv.DictReader(f, delimiter=";"))


def log_bins(tool, work):
    """Three readings of a 103 nF part against 100 nF sort into the ±5 % band."""
    journal = os.path.join(work, "caps.csv")
    code, _, err = run([tool, "log", "--demo", "--part", "C=103n", "--ref", "C=100n",
                        "--bins", "1%,5%", "--count", "3", "--quiet", "--out", journal])
    check(code == 0, f"log: {code} {err}")
    rows = rows_of(journal)
    check(len(rows) == 3, f"log: {len(rows)} rows")
    check([r["bin"] for r in rows] == ["2", "2", "2"], [r["bin"] for r in rows])

    code, out, err = run([tool, "stats", "--format", "json", "--ref", "C=100n",
                          "--bins", "1%,5%", journal])
    check(code == 0, f"stats: {code} {err}")
    bins = json.loads(out)["bins"]
    counts = {b["bin"]: (b["count"], b["share"]) for b in bins["bands"]}
    check(counts == {1: (0, 0), 2: (3, 1), 0: (0, 0), 10: (0, 0)}, counts)
    check(bins["sorted"] == 3 and bins["unsorted"] == 0, bins)
    code, out, err = run([tool, "stats", "--lang", "en", "--ref", "C=100n",
                          "--bins", "1%,5%", journal])
    check(code == 0 and "  2 \u00b15%: 3 (100.0 %)\n" in out, f"stats text: {out} {err}")
    # Without --bins the figures are what they were: no "bins" member.
    code, out, _ = run([tool, "stats", "--format", "json", journal])
    check(code == 0 and "bins" not in json.loads(out), out)

    frames = "".join(r["frame"] + "\n" for r in rows).encode()
    code, out, err = run([tool, "decode", "--ref", "C=100n", "--bins", "1%,5%"], frames)
    check(code == 0, f"decode: {code} {err}")
    sorted_bins = [json.loads(l).get("bin") for l in out.splitlines()]
    check(sorted_bins == [2, 2, 2], sorted_bins)
    code, out, err = run([tool, "decode", "--ref", "C=100n", "--tol", "5%"], frames)
    check(code == 0 and json.loads(out.splitlines()[0])["bin"] is None, out)

    code, _, err = run([tool, "log", "--demo", "--bins", "1%", "--count", "1"])
    check(code == 2 and "--bins needs --ref" in err, f"log without --ref: {code} {err}")
    return journal


def main():
    tool, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    log_bins(tool, work)
    print("sorting bench: ok")


if __name__ == "__main__":
    main()
