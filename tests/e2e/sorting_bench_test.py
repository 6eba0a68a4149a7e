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

    # Hands-free: the part in the demo meter's clips gives one line once it settles.
    captured = os.path.join(work, "captured.csv")
    code, _, err = run([tool, "log", "--demo", "--part", "R=1k", "--ref", "R=1k", "--bins", "1%",
                        "--capture", "--count", "1", "--quiet", "--out", captured])
    check(code == 0 and [r["bin"] for r in rows_of(captured)] == ["1"], f"capture: {code} {err}")
    code, _, err = run([tool, "log", "--demo", "--settle", "4"])
    check(code == 2 and "need --capture" in err, f"--settle alone: {code} {err}")

    code, _, err = run([tool, "log", "--demo", "--bins", "1%", "--count", "1"])
    check(code == 2 and "--bins needs --ref" in err, f"log without --ref: {code} {err}")
    return journal


HEADER = ("time;mode;position;name;grid_position;grid_time;grid_primary;grid_secondary;"
          "grid_circuit;grid_frequency;grid_level;grid_reject;grid_primary_deviation;"
          "grid_secondary_deviation;Rs;Xs;Rp;Xp;frequency_hz;primary;secondary;verdict;bin")


def journal_of(path, rows):
    """rows: (mode, position, name, primary, secondary); None leaves a value empty."""
    lines = [HEADER]
    for mode, position, name, primary, secondary in rows:
        num = lambda v: "" if v is None else repr(v)
        lines.append(f"2026-12-10T14:03:05.123+01:00;{mode};{position};{name};{position};t;;;;;;;;;"
                     f"1;1;1;1;1000;{num(primary)};{num(secondary)};0;")
    with open(path, "wb") as f:
        f.write(b"\xef\xbb\xbf" + "\r\n".join(lines).encode() + b"\r\n")


def match(tool, work):
    """Known best sets in every form, an empty journal, and wrong usage."""
    journal = os.path.join(work, "parts.csv")
    journal_of(journal, [("multi", 1, "R1", 1000.0, 0.01), ("multi", 2, "R2", 1012.0, 0.01),
                         ("multi", 1, "R1", 1001.0, 0.01), ("multi", 2, "R2", 1011.0, 0.05),
                         ("multi", 3, "R3", None, None), ("multi", 3, "R3", 1100.0, 0.01)])
    code, out, err = run([tool, "match", journal, "--size", "2", "--within", "0.1%",
                          "--format", "json"])
    check(code == 0, f"match: {code} {err}")
    check(json.loads(out) == {"sets": [[1, 3], [2, 4]], "left": [5, 6]}, out)
    code, out, err = run([tool, "match", journal, "--size", "2", "--within", "0.1%",
                          "--within2", "10%", "--format", "json"])
    check(json.loads(out) == {"sets": [[1, 3]], "left": [2, 4, 5, 6]}, out)
    code, out, err = run([tool, "match", journal, "--size", "3", "--within", "1%",
                          "--format", "csv"])
    check(code == 0, f"match csv: {code} {err}")
    got = list(csv.reader(out.splitlines(), delimiter=";"))
    check(got[0] == ["set", "row", "position", "name", "primary", "secondary"], got[0])
    check([r[:4] for r in got[1:]] == [["1", "1", "1", "R1"], ["1", "3", "1", "R1"],
                                       ["1", "4", "2", "R2"], ["", "2", "2", "R2"],
                                       ["", "5", "3", "R3"], ["", "6", "3", "R3"]], got)
    code, out, err = run([tool, "match", journal, "--size", "2", "--within", "0.1%",
                          "--lang", "en"])
    check(code == 0 and out.startswith("Set 1 (mean 1000.5):\n  row 1, position 1, R1: 1000; 0.01\n"),
          f"match text: {out!r} {err}")
    check("Left over: 2\n" in out, out)

    empty = os.path.join(work, "empty.csv")
    journal_of(empty, [])
    code, out, err = run([tool, "match", empty, "--size", "2", "--within", "1%", "--format", "json"])
    check(code == 0 and json.loads(out) == {"sets": [], "left": []}, f"empty: {code} {out} {err}")

    for argv, says in (([journal, "--within", "1%"], "--size"),
                       ([journal, "--size", "2"], "--within"),
                       ([journal, "--size", "1", "--within", "1%"], "--size must"),
                       ([journal, "--size", "2", "--within", "100%"], "below 100"),
                       ([os.path.join(work, "none.csv"), "--size", "2", "--within", "1%"],
                        "cannot open")):
        code, _, err = run([tool, "match"] + argv)
        check(code == 2 and says in err, f"match {argv}: {code} {err}")


def main():
    tool, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    log_bins(tool, work)
    match(tool, work)
    print("sorting bench: ok")


if __name__ == "__main__":
    main()
