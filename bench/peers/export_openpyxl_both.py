#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The same work as `rlc-meter export` with openpyxl in its write-only mode:
the grid's ten cells a row on the first sheet, and a second sheet of plain
numbers (position, time as a date, parameters, values, Rs, Xs, Rp, Xp,
frequency, deviations, verdict) with a frozen header and an autofilter.
usage: export_openpyxl_both.py JOURNAL.csv OUT.xlsx"""
import csv
import datetime
import sys

import openpyxl


def cell(text):
    if not text:
        return None
    try:
        return float(text.replace(",", "."))
    except ValueError:
        return text


def number(text):
    try:
        return float(text.replace(",", "."))
    except ValueError:
        return None


def main():
    book = openpyxl.Workbook(write_only=True)
    grid = book.create_sheet()
    numbers = book.create_sheet("SI")
    numbers.freeze_panes = "A2"
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        rows = csv.reader(f, delimiter=";")
        header = next(rows)
        at = {name: i for i, name in enumerate(header)}
        cells = list(range(4, 14))
        grid.append([header[c] for c in cells])
        si = ["position", "name", "time", "primary parameter", "primary", "secondary parameter",
              "secondary", "Rs", "Xs", "Rp", "Xp", "frequency_hz", "primary deviation %",
              "secondary deviation %", "verdict"]
        numbers.append(si)
        count = 0
        for row in rows:
            grid.append([cell(row[c]) for c in cells])
            time = datetime.datetime.fromisoformat(row[at["time"]]).replace(tzinfo=None)
            numbers.append([
                number(row[at["grid_position"]]), row[at["name"]] or None, time,
                row[at["grid_primary"]].split(" ")[0], number(row[at["primary"]]),
                row[at["grid_secondary"]].split(" ")[0], number(row[at["secondary"]]),
                number(row[at["Rs"]]), number(row[at["Xs"]]), number(row[at["Rp"]]),
                number(row[at["Xp"]]), number(row[at["frequency_hz"]]),
                number(row[at["grid_primary_deviation"]]),
                number(row[at["grid_secondary_deviation"]]), number(row[at["verdict"]])])
            count += 1
        numbers.auto_filter.ref = f"A1:O{count + 1}"
    book.save(sys.argv[2])


main()
