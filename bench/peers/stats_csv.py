#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a user would script instead of `rlc-meter stats`: the standard csv and
statistics modules over a journal. usage: stats_csv.py JOURNAL.csv"""
import csv
import statistics
import sys


def figures(values):
    if not values:
        return "-"
    sigma = statistics.stdev(values) if len(values) > 1 else float("nan")
    return f"mean {statistics.fmean(values):.6g} sigma {sigma:.6g} min {min(values):.6g} max {max(values):.6g}"


def main():
    counts = {}
    primary, secondary = [], []
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        for row in csv.DictReader(f, delimiter=";"):
            counts[row["verdict"]] = counts.get(row["verdict"], 0) + 1
            if row["primary"]:
                primary.append(float(row["primary"]))
            if row["secondary"]:
                secondary.append(float(row["secondary"]))
    rows = sum(counts.values())
    print("rows", rows, "passed", counts.get("0", 0))
    print("primary", figures(primary))
    print("secondary", figures(secondary))


main()
