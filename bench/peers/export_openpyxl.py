#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a user would script instead of `rlc-meter export` with openpyxl in its
write-only mode: the journal's ten grid cells a row, numbers as numbers.
usage: export_openpyxl.py JOURNAL.csv OUT.xlsx"""
import csv
import sys

import openpyxl


def cell(text):
    if not text:
        return None
    try:
        return float(text.replace(",", "."))
    except ValueError:
        return text


def main():
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet()
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        rows = csv.reader(f, delimiter=";")
        header = next(rows)
        cells = list(range(4, 14))
        sheet.append([header[c] for c in cells])
        for row in rows:
            sheet.append([cell(row[c]) for c in cells])
    book.save(sys.argv[2])


main()
