#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a user would script instead of `rlc-meter export` with openpyxl in its
write-only mode: the journal's ten grid cells a row, numbers as numbers. With
--both-sheets it does the same work as ours: a second sheet of plain numbers
(position, time as a date, parameters, values, Rs, Xs, Rp, Xp, frequency,
deviations, verdict) with a frozen header and an autofilter.
usage: export_openpyxl.py JOURNAL.csv OUT.xlsx [--both-sheets]"""
import csv
import datetime
import sys

import openpyxl

SI_HEADER = ["position", "name", "time", "primary parameter", "primary", "secondary parameter",
             "secondary", "Rs", "Xs", "Rp", "Xp", "frequency_hz", "primary deviation %",
             "secondary deviation %", "verdict"]


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


def si_row(row, at):
    time = datetime.datetime.fromisoformat(row[at["time"]]).replace(tzinfo=None)
    return [number(row[at["grid_position"]]), row[at["name"]] or None, time,
            row[at["grid_primary"]].split(" ")[0], number(row[at["primary"]]),
            row[at["grid_secondary"]].split(" ")[0], number(row[at["secondary"]]),
            number(row[at["Rs"]]), number(row[at["Xs"]]), number(row[at["Rp"]]),
            number(row[at["Xp"]]), number(row[at["frequency_hz"]]),
            number(row[at["grid_primary_deviation"]]),
            number(row[at["grid_secondary_deviation"]]), number(row[at["verdict"]])]


def main():
    both = "--both-sheets" in sys.argv[3:]
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet()
    numbers = book.create_sheet("SI") if both else None
    count = 0
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        rows = csv.reader(f, delimiter=";")
        header = next(rows)
        at = {name: i for i, name in enumerate(header)}
        cells = list(range(4, 14))
        sheet.append([header[c] for c in cells])
        if both:
            numbers.freeze_panes = "A2"
            numbers.append(SI_HEADER)
        for row in rows:
            sheet.append([cell(row[c]) for c in cells])
            if both:
                numbers.append(si_row(row, at))
                count += 1
    if both:
        numbers.auto_filter.ref = f"A1:O{count + 1}"
    book.save(sys.argv[2])


main()
