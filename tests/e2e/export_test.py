# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end check of `rlc-meter export`: a journal in, a workbook out, read
back with openpyxl.

usage: export_test.py RLC_METER WORK_DIR
"""
import datetime
import os
import subprocess
import sys

import openpyxl
import openpyxl.utils

HEADER = ("time;mode;position;name;col0;col1;col2;col3;col4;col5;col6;col7;col8;col9;"
          "Rs;Xs;Rp;Xp;frequency_hz;primary;secondary;verdict")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def expect(actual, expected, what):
    check(actual == expected, f"{what}: expected {expected!r}, got {actual!r}")


def field(text):
    if any(c in text for c in ';"\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def journal(path, rows, incomplete_tail=""):
    lines = [HEADER]
    for mode, position, name, cells in rows:
        lines.append(";".join(["2026-12-10T14:03:05.123+01:00", mode, str(position), name]
                              + [field(c) for c in cells]
                              + ["100", "1", "100", "1", "1000", "100", "", "0"]))
    with open(path, "wb") as f:
        f.write(b"\xef\xbb\xbf" + ("\r\n".join(lines) + "\r\n" + incomplete_tail).encode("utf-8"))


def single(position, second, deviation=""):
    return ("single", position, "",
            [str(position), f"10.12.26 14:03:{second:02d}", "R 1,000 кОм", "Q 3,0000", "S",
             "1кГц", "1.0Вскз", "+" if deviation else "", deviation, ""])


def export(tool, src, out, *args):
    return subprocess.run([tool, "export", src, out, *args], capture_output=True, text=True,
                          encoding="utf-8", check=False)


def sheet(path):
    return openpyxl.load_workbook(path).worksheets[0]


def main():
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)

    # Three rows at positions 1..3: headers and three rows, ten columns.
    src, out = os.path.join(work, "three.csv"), os.path.join(work, "three.xlsx")
    journal(src, [single(1, 5, "12,35"), single(2, 6), single(3, 7, "-0,50")],
            incomplete_tail="2026-12-10T14:03:08;single;4;")
    r = export(tool, src, out, "--decimal", ",")
    expect(r.returncode, 0, f"exit status ({r.stderr})")
    ws = sheet(out)
    expect((ws.max_row, ws.max_column), (4, 10), "sheet size")
    expect(ws.cell(1, 1).value, "Позиция", "header first")
    expect(ws.cell(1, 10).value, "Допол.% откл.", "last header")
    expect(ws.cell(2, 1).value, 1, "position is a number")
    expect(ws.cell(2, 2).value, datetime.datetime(2026, 12, 10, 14, 3, 5), "time stamp")
    expect(ws.cell(2, 2).number_format, "dd.mm.yy hh:mm:ss", "time stamp format")
    expect(ws.cell(2, 3).value, "R 1,000 кОм", "reading unchanged")
    expect(ws.cell(2, 8).value, "+", "reject mark unchanged")
    expect(ws.cell(2, 9).value, 12.35, "deviation is a number")
    expect(ws.cell(4, 9).value, -0.5, "negative deviation")
    expect(ws.cell(3, 9).value, None, "empty cell stays empty")
    check(abs(ws.page_margins.left - 30 / 72) < 1e-9, f"left margin {ws.page_margins.left}")
    check(abs(ws.page_margins.right - 10 / 72) < 1e-9, f"right margin {ws.page_margins.right}")
    check(not os.path.exists(out + ".part"), "no leftover part file")
    widths = {c: ws.column_dimensions[c].width for c in "ABCDEFGHIJ"}
    check(widths["B"] >= 18, f"the time column fits its dates: {widths}")
    check(widths["C"] >= len("R 1,000 кОм"), f"the reading column fits: {widths}")
    check(widths["J"] >= len("Допол.% откл."), f"the last header fits: {widths}")

    # The second sheet: one row per log row, plain numbers in SI units.
    wb = openpyxl.load_workbook(out)
    expect(len(wb.worksheets), 2, "two sheets")
    si = wb.worksheets[1]
    expect(si.title, "Числа СИ", "number sheet's name")
    expect(si.max_row, 4, "header and three rows")
    header = [si.cell(1, c).value for c in range(1, si.max_column + 1)]
    for unit in ("Rs, Ом", "Частота, Гц", "Основ. откл., %"):
        check(unit in header, f"header names {unit}: {header}")
    col = {h: i + 1 for i, h in enumerate(header)}
    expect(si.cell(2, col["Позиция"]).value, 1, "position")
    expect(si.cell(2, col["Время"]).value, datetime.datetime(2026, 12, 10, 14, 3, 5, 123000),
           "time as a date")
    expect(si.cell(2, col["Основной параметр"]).value, "R", "primary parameter")
    expect(si.cell(2, col["Основной, Ом | Гн | Ф"]).value, 100, "primary value in ohms")
    expect(si.cell(2, col["Rs, Ом"]).value, 100, "Rs")
    expect(si.cell(2, col["Xs, Ом"]).value, 1, "Xs")
    expect(si.cell(2, col["Частота, Гц"]).value, 1000, "frequency")
    expect(si.cell(2, col["Основ. откл., %"]).value, 12.35, "deviation in percent")
    expect(si.cell(4, col["Основ. откл., %"]).value, -0.5, "negative deviation")
    expect(si.cell(3, col["Основ. откл., %"]).value, None, "no deviation")
    expect(si.cell(2, col["Брак (0 годен)"]).value, 0, "verdict of a marked row")
    expect(si.cell(3, col["Брак (0 годен)"]).value, None, "no verdict without a mark")
    expect(si.freeze_panes, "A2", "frozen header row")
    expect(si.auto_filter.ref, f"A1:{openpyxl.utils.get_column_letter(si.max_column)}4",
           "autofilter over the table")
    check(all(si.column_dimensions[openpyxl.utils.get_column_letter(c)].width
              >= len(str(si.cell(1, c).value)) for c in range(1, si.max_column + 1)),
          "every header fits")

    # Start position 40: rows 0..40, rows 1..39 empty.
    src, out = os.path.join(work, "forty.csv"), os.path.join(work, "forty.xlsx")
    journal(src, [single(40, 1), single(41, 2), single(40, 3)])
    r = export(tool, src, out, "--decimal", ",")
    expect(r.returncode, 0, "exit status")
    ws = sheet(out)
    expect(ws.max_row, 42, "rows 0..41")
    check(all(ws.cell(row, c).value is None for row in range(2, 41) for c in range(1, 11)),
          "rows 1..39 empty")
    expect(ws.cell(41, 2).value, datetime.datetime(2026, 12, 10, 14, 3, 3),
           "a rewritten position keeps its last row")

    # Multi: entry names stay text under the name header.
    src, out = os.path.join(work, "multi.csv"), os.path.join(work, "multi.xlsx")
    rows = [("multi", i, f"R{i}", [str(i), f"R{i}", "R 1 кОм", "", "S", "1кГц", "1.0Вскз", "-",
                                     "0,10", ""]) for i in range(1, 6)]
    journal(src, rows)
    r = export(tool, src, out, "--lang", "en", "--decimal", ",")
    expect(r.returncode, 0, "exit status")
    ws = sheet(out)
    expect((ws.max_row, ws.max_column), (6, 10), "multi sheet size")
    expect(ws.cell(1, 2).value, "Name", "English name header")
    expect(ws.cell(3, 2).value, "R2", "entry name")
    expect(ws.cell(3, 9).value, 0.1, "deviation")
    si = openpyxl.load_workbook(out).worksheets[1]
    expect(si.cell(1, 1).value, "Position", "English number sheet")
    expect([si.cell(r, 2).value for r in range(2, 7)], [f"R{i}" for i in range(1, 6)],
           "entry names on the number sheet")

    # Entry names that look like numbers stay texts on both sheets.
    src, out = os.path.join(work, "names.csv"), os.path.join(work, "names.xlsx")
    journal(src, [("multi", 1, "0805", ["1", "0805", "R 1 кОм", "", "S", "1кГц", "1", "", "",
                                        ""])])
    r = export(tool, src, out, "--decimal", ",")
    expect(r.returncode, 0, "exit status")
    wb = openpyxl.load_workbook(out)
    expect(wb.worksheets[0].cell(2, 2).value, "0805", "name stays text")
    expect(wb.worksheets[0].cell(2, 7).value, "1", "level stays text")
    expect(wb.worksheets[1].cell(2, 2).value, "0805", "name stays text on the number sheet")

    # Failures: an unwritable target and a journal with a bad line.
    r = export(tool, os.path.join(work, "three.csv"), os.path.join(work, "no", "such", "x.xlsx"))
    expect(r.returncode, 1, "unwritable target")
    check("cannot write" in r.stderr, f"reason given: {r.stderr!r}")
    bad = os.path.join(work, "bad.csv")
    with open(bad, "wb") as f:
        f.write(b"garbage;\x00\xff\"unterminated\r\nmore\r\n")
    r = export(tool, bad, os.path.join(work, "bad.xlsx"), "--lang", "en")
    expect(r.returncode, 1, "journal without a header")
    check("header" in r.stderr, f"problem named: {r.stderr!r}")


if __name__ == "__main__":
    main()
