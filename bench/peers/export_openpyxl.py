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


def si_row(row):
    """By column position: older journals name ten of their columns col0 to col9."""
    time = datetime.datetime.fromisoformat(row[0]).replace(tzinfo=None)
    return [number(row[4]), row[3] or None, time, row[6].split(" ")[0], number(row[19]),
            row[7].split(" ")[0], number(row[20]), number(row[14]), number(row[15]),
            number(row[16]), number(row[17]), number(row[18]), number(row[12]),
            number(row[13]), number(row[21])]


def main():
    both = "--both-sheets" in sys.argv[3:]
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet()
    numbers = book.create_sheet("SI") if both else None
    count = 0
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        rows = csv.reader(f, delimiter=";")
        header = next(rows)
        cells = list(range(4, 14))
        sheet.append([header[c] for c in cells])
        if both:
            numbers.freeze_panes = "A2"
            numbers.append(SI_HEADER)
        for row in rows:
            sheet.append([cell(row[c]) for c in cells])
            if both:
                numbers.append(si_row(row))
                count += 1
    if both:
        numbers.auto_filter.ref = f"A1:O{count + 1}"
    book.save(sys.argv[2])


main()
