#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs `rlc-meter stats`, `export` and `decode` against what a user would
script instead, in turns, and prints the median time, the peak memory and the
ratios. Called by bench/peers.sh, which installs the peers first.

usage: run.py RLC_METER [--before OLD_RLC_METER] [--rows N,N...] [--rounds N]
              [--decode-lines N] [--core-rate FRAMES_PER_S] [--work DIR]
              [--no-ssconvert-above N]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable


def run_once(argv, stdout_path=os.devnull):
    """Wall seconds, processor seconds (user and system) and peak resident
    memory (MB) of one run; None when it failed."""
    with open(stdout_path, "wb") as out, open(os.devnull, "wb") as err:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdout=out, stderr=err)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 1):  # 1: the journal's torn last line or a bad input line
        return None
    return seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def python_has(module):
    return subprocess.run([PYTHON, "-c", f"import {module}"], capture_output=True).returncode == 0


def measure(contenders, rounds):
    """Runs every contender once per round, in turns; medians per contender."""
    times = {name: [] for name, _ in contenders}
    cpu = {name: [] for name, _ in contenders}
    peaks = {name: [] for name, _ in contenders}
    failed = set()
    for _ in range(rounds):
        for name, argv in contenders:
            if name in failed:
                continue
            got = run_once(argv)
            if got is None:
                failed.add(name)
                continue
            times[name].append(got[0])
            cpu[name].append(got[1])
            peaks[name].append(got[2])
    result = {}
    for name, _ in contenders:
        if name in failed or not times[name]:
            result[name] = None
        else:
            result[name] = (statistics.median(times[name]), statistics.median(cpu[name]),
                            max(peaks[name]))
    return result


def report(title, result, ours, notes):
    print(f"\n{title}")
    print(f"  {'':30} {'wall s':>8} {'cpu s':>8} {'peak MB':>8} {'ours faster (wall, cpu)':>24}"
          f" {'memory vs ours':>15}")
    base = result.get(ours)
    for name, figures in result.items():
        if figures is None:
            print(f"  {name:30} {'failed':>8}")
            continue
        seconds, cpu, peak = figures
        line = f"  {name:30} {seconds:8.3f} {cpu:8.3f} {peak:8.1f}"
        if base and name != ours:
            line += (f" {seconds / base[0]:11.2f}x {cpu / max(base[1], 1e-3):11.2f}x"
                     f" {peak / base[2]:14.2f}x")
        print(line)
    for note in notes:
        print(f"  note: {note}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool")
    ap.add_argument("--before")
    ap.add_argument("--rows", default="100000,1000000")
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--decode-lines", type=int, default=1000000)
    ap.add_argument("--core-rate", type=float)
    ap.add_argument("--work")
    ap.add_argument("--no-ssconvert-above", type=int, default=10**9)
    opt = ap.parse_args()

    work = opt.work or tempfile.mkdtemp(prefix="rlc-peers-")
    os.makedirs(work, exist_ok=True)
    make = os.path.join(os.path.dirname(HERE), "make_inputs.py")
    have_pandas = python_has("pandas")
    have_openpyxl = python_has("openpyxl")
    ssconvert = shutil.which("ssconvert")
    notes = []
    if not have_pandas:
        notes.append("pandas is missing (python3-pandas): its runs are left out")
    if not have_openpyxl:
        notes.append("openpyxl is missing (python3-openpyxl): its runs are left out")
    if not ssconvert:
        notes.append("ssconvert is missing (gnumeric): its runs are left out")
    ours = {"ours": opt.tool}
    if opt.before:
        ours = {"ours before": opt.before, "ours": opt.tool}
    print(f"work folder {work}; {opt.rounds} rounds, runs in turns; times are medians")

    for rows in (int(r) for r in opt.rows.split(",")):
        journal = os.path.join(work, f"journal_{rows}.csv")
        header = ["--old-header"] if opt.before else []
        subprocess.run([PYTHON, make, "journal", str(rows), journal, *header], check=True)
        size = os.path.getsize(journal) / 1e6

        contenders = [(f"rlc-meter stats ({n})", [t, "stats", journal]) for n, t in ours.items()]
        contenders.append(("python csv + statistics", [PYTHON, os.path.join(HERE, "stats_csv.py"),
                                                      journal]))
        if have_pandas:
            contenders.append(("pandas", [PYTHON, os.path.join(HERE, "stats_pandas.py"), journal]))
        report(f"stats, {rows} rows ({size:.0f} MB)", measure(contenders, opt.rounds),
               "rlc-meter stats (ours)", notes)

        out = os.path.join(work, "out.xlsx")
        contenders = [(f"rlc-meter export ({n})", [t, "export", journal, out, "--decimal", ","])
                      for n, t in ours.items()]
        if ssconvert and rows <= opt.no_ssconvert_above:
            contenders.append(("ssconvert", [ssconvert, journal, out]))
        if have_openpyxl:
            contenders.append(("openpyxl write-only",
                               [PYTHON, os.path.join(HERE, "export_openpyxl.py"), journal, out]))
            # Ours writes a second sheet of plain numbers too; this peer does the same.
            contenders.append(("openpyxl, both sheets",
                               [PYTHON, os.path.join(HERE, "export_openpyxl.py"), journal, out,
                                "--both-sheets"]))
        report(f"export, {rows} rows ({size:.0f} MB)", measure(contenders, opt.rounds),
               "rlc-meter export (ours)", [])
        os.remove(journal)

    frames = os.path.join(work, "frames.txt")
    subprocess.run([PYTHON, make, "frames", str(opt.decode_lines), frames], check=True)
    contenders = [(f"rlc-meter decode ({n})", [t, "decode", frames]) for n, t in ours.items()]
    contenders.append(("wc -l", ["wc", "-l", frames]))
    result = measure(contenders, opt.rounds)
    report(f"decode, {opt.decode_lines} frame lines", result, "rlc-meter decode (ours)", [])
    for name, figures in result.items():
        if figures and name.startswith("rlc-meter"):
            rate = opt.decode_lines / figures[0]
            cpu_rate = opt.decode_lines / max(figures[1], 1e-3)
            line = f"  {name}: {rate:,.0f} lines/s ({cpu_rate:,.0f} a processor second)"
            if opt.core_rate:
                line += f", the core alone {opt.core_rate:,.0f} frames/s ({opt.core_rate / rate:.2f}x)"
            print(line)
    os.remove(frames)


if __name__ == "__main__":
    main()
